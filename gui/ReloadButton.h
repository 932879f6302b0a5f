#pragma once

#include <QToolButton>

namespace zel::qmix::gui {

// Reloads a tab's lists. The window may also ask for that itself (request())
// when a tab is entered, without the reconnection a click starts.
class ReloadButton : public QToolButton {
    Q_OBJECT
public:
    explicit ReloadButton(QWidget* parent = nullptr);

signals:
    void requested();

public slots:
    void request();
};

} // namespace zel::qmix::gui
