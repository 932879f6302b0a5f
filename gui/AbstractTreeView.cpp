#include "gui/AbstractTreeView.h"

#include "data/MimeData.h"

#include <QDrag>
#include <QPainter>

namespace zel::qmix::gui {

namespace {

constexpr int DragPictureSize = 24;

} // namespace

AbstractTreeView::AbstractTreeView(QWidget* parent)
    : QTreeView(parent) {
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void AbstractTreeView::startDrag(Qt::DropActions supportedActions) {
    data::MimeData* dragData = createDragData();
    if (!dragData)
        return;
    dragData->setSourceView(this);
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData);
    const QPixmap picture = dragPixmap();
    if (!picture.isNull())
        drag->setPixmap(picture);
    emit dragStarted();
    drag->exec(supportedActions & (Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
    emit dragEnded();
}

QPixmap AbstractTreeView::fadedDragPicture(const QIcon& icon) {
    QPixmap faded(DragPictureSize, DragPictureSize);
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(0.5);
    painter.drawPixmap(0, 0, icon.pixmap(DragPictureSize, DragPictureSize));
    return faded;
}

} // namespace zel::qmix::gui
