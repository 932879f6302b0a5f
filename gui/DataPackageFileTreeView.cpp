#include "gui/DataPackageFileTreeView.h"

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

QPixmap DataPackageFileTreeView::dragPixmap() const {
    return halfTransparent(icon_);
}

} // namespace zel::qmix::gui
