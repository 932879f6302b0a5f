#pragma once

#include <QTabWidget>

namespace zel::qmix::gui {

// The window's mode tabs. While heavy keyboard work runs, the user stays in
// the mode that started it.
class MainTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit MainTabWidget(QWidget* parent = nullptr);

public slots:
    void disableTabWithoutCurrent();
    void enableAllTab();
};

} // namespace zel::qmix::gui
