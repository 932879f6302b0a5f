#pragma once

#include <QObject>
#include <QString>

class QTabWidget;
class QWidget;

namespace zel::qmix::gui {

// Photographs a window once per tab, for the README and the demo: shows each
// tab in turn, lets its views load for a while, saves the window as
// "<number>-<tab title>.png" in the folder, then quits the application.
class TabScreenshots : public QObject {
    Q_OBJECT
public:
    static constexpr int SettleMs = 2500;

    TabScreenshots(QWidget* window, QTabWidget* tabs, const QString& folder,
                   QObject* parent = nullptr);

    void start();

private:
    void showTab(int index);
    void capture(int index);
    QString fileName(int index) const;

    QWidget* window_;
    QTabWidget* tabs_;
    QString folder_;
    int failures_ = 0;
};

} // namespace zel::qmix::gui
