#include "gui/MainTabWidget.h"

namespace zel::qmix::gui {

MainTabWidget::MainTabWidget(QWidget* parent)
    : QTabWidget(parent) {}

void MainTabWidget::disableTabWithoutCurrent() {
    for (int index = 0; index < count(); ++index) {
        if (index != currentIndex())
            setTabEnabled(index, false);
    }
}

void MainTabWidget::enableAllTab() {
    for (int index = 0; index < count(); ++index)
        setTabEnabled(index, true);
}

} // namespace zel::qmix::gui
