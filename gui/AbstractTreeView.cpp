#include "gui/AbstractTreeView.h"

#include "data/MimeData.h"

#include <QDrag>

namespace zel::qmix::gui {

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
    drag->exec(supportedActions & (Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
}

} // namespace zel::qmix::gui
