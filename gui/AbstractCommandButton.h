#pragma once

#include "comm/CommandControlSource.h"

#include <QToolButton>
#include <QVariant>

namespace zel::qmix::comm {
class KeyboardCommunicator;
}

namespace zel::qmix::gui {

// The base of the buttons that start whole-keyboard work (backup, restore,
// package send). They only register commands; the progress display follows
// them through the signals below and controls them through the cancel and
// suspend source the window hands over.
class AbstractCommandButton : public QToolButton {
    Q_OBJECT
public:
    explicit AbstractCommandButton(QWidget* parent = nullptr);

    void setCommunicator(comm::KeyboardCommunicator* communicator);
    comm::KeyboardCommunicator* communicator() const { return communicator_; }
    virtual void setCommandControlSource(const comm::CommandControlSource& source);
    const comm::CommandControlSource& commandControlSource() const { return controlSource_; }

public slots:
    // The commands a button registers report here; the progress display
    // follows the button's signals.
    void emitCommandTitle(QVariant title) { emit commandStarted(title); }
    void emitCommandProgress(int done, int total) { emit commandProgress(done, total); }

signals:
    void commandStarted(QVariant info);
    void commandProgress(int done, int total);
    void commandFinished(QVariant result);
    void newCommandRegistered();

private:
    comm::KeyboardCommunicator* communicator_ = nullptr;
    comm::CommandControlSource controlSource_;
};

} // namespace zel::qmix::gui
