#include "ModalBoxWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

ModalBoxWatcher::ModalBoxWatcher(Action boxAction, QObject* parent)
    : QObject(parent)
    , action(std::move(boxAction))
    , ready([] { return true; }) {
    connect(&timer, &QTimer::timeout, this, &ModalBoxWatcher::poll);
    timer.start(10);
}

ModalBoxWatcher::Action ModalBoxWatcher::press(QMessageBox::StandardButton button) {
    return [button](QMessageBox* box) {
        QAbstractButton* pressed = box->button(button);
        if (pressed != nullptr) {
            pressed->click();
        } else {
            // Close it anyway, so that the test fails on what it saw instead
            // of hanging on a box without that button.
            box->done(QMessageBox::NoButton);
        }
    };
}

void ModalBoxWatcher::setReady(std::function<bool()> condition) {
    ready = std::move(condition);
}

void ModalBoxWatcher::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
        return;
    }
    if (box != recorded) {
        recorded = box;
        pollsSinceSeen = 0;
        acted = false;
        SeenBox entry;
        entry.title = box->windowTitle();
        entry.text = box->text();
        entry.icon = box->icon();
        entry.buttons = box->standardButtons();
        entry.defaultButton = box->standardButton(box->defaultButton());
        boxes.append(entry);
    }
    // One idle poll first, so that events queued before the box opened are
    // delivered while it is still on screen.
    if (acted || ++pollsSinceSeen < 2 || !ready()) {
        return;
    }
    acted = true;
    action(box);
}
