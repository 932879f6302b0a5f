#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

// Answers the message boxes a test provokes: polls for the active modal box,
// records what it shows and then acts on it (by default presses a button).
class ModalBoxWatcher : public QObject {
    Q_OBJECT

public:
    struct SeenBox {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };
    using Action = std::function<void(QMessageBox*)>;

    explicit ModalBoxWatcher(Action action, QObject* parent = nullptr);

    static Action press(QMessageBox::StandardButton button);
    // Acts only once this returns true (checked on every poll).
    void setReady(std::function<bool()> condition);

    const QList<SeenBox>& seen() const { return boxes; }

private slots:
    void poll();

private:
    QTimer timer;
    Action action;
    std::function<bool()> ready;
    QPointer<QMessageBox> recorded;
    int pollsSinceSeen = 0;
    bool acted = false;
    QList<SeenBox> boxes;
};
