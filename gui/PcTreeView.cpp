#include "gui/PcTreeView.h"

#include "etc/Settings.h"

namespace zel::qmix::gui {

PcTreeView::PcTreeView(QWidget* parent)
    : LocalTreeView(parent) {
    setAccessibleName(tr("PC User Data Files"));
}

QDir PcTreeView::listedDirectory() const {
    const QString path = etc::Settings::instance()->mainDataDirectory();
    etc::Settings::ensureDirectory(path);
    return QDir(path);
}

} // namespace zel::qmix::gui
