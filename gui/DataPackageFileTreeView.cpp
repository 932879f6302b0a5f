#include "gui/DataPackageFileTreeView.h"

#include "data/MimeData.h"

#include <QDrag>
#include <QPainter>
#include <QPixmap>

namespace zel::qmix::gui {

namespace {

constexpr int DragPictureSize = 24;

QPixmap halfTransparent(const QIcon& icon) {
    const QPixmap picture = icon.pixmap(DragPictureSize, DragPictureSize);
    QPixmap faded(picture.size());
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(0.5);
    painter.drawPixmap(0, 0, picture);
    return faded;
}

} // namespace

DataPackageFileTreeView::DataPackageFileTreeView(QWidget* parent)
    : PcTreeView(parent)
    , icon_(QStringLiteral(":/images/package.png")) {
    setAccessibleName(tr("PC Package Files"));
}

void DataPackageFileTreeView::reload(data::const_DataCategory*) {
    reload();
}

void DataPackageFileTreeView::reload() {
    reload(listedDirectory(), {QStringLiteral("*.PK7")}, icon_);
}

void DataPackageFileTreeView::startDrag(Qt::DropActions supportedActions) {
    data::MimeData* dragData = createDragData();
    if (!dragData)
        return;
    dragData->setSourceView(this);
    auto* drag = new QDrag(this);
    drag->setMimeData(dragData);
    drag->setPixmap(halfTransparent(icon_));
    drag->exec(supportedActions & (Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
}

} // namespace zel::qmix::gui
