#pragma once

#include <QObject>
#include <QWeakPointer>

namespace zel::qmix::comm {

class AbstractCommand;

// Takes a caller's cancel and suspend signals on the caller's thread and hands
// them to a command that runs on the communication thread and may be deleted
// there at any moment: the command is only touched while a strong reference
// keeps it alive.
class CommandRelay : public QObject {
    Q_OBJECT
public:
    CommandRelay(const QWeakPointer<AbstractCommand>& command, QObject* parent = nullptr);

public slots:
    void cancel();
    void setSuspended(bool suspended);

private:
    QWeakPointer<AbstractCommand> command_;
};

} // namespace zel::qmix::comm
