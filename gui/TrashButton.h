#pragma once

#include <QPushButton>

namespace zel::qmix::gui {

// The trash as a button: like TrashLabel, but shown checked while a drag is
// over it.
class TrashButton : public QPushButton {
    Q_OBJECT
public:
    explicit TrashButton(QWidget* parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setArmed(bool armed);
};

} // namespace zel::qmix::gui
