#include "gui/DataPackageFileTreeView.h"

#include <QPixmap>

namespace zel::qmix::gui {

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
    return fadedDragPicture(icon_);
}

} // namespace zel::qmix::gui
