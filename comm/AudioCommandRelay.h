#pragma once

#include <QObject>
#include <QWeakPointer>

namespace zel::qmix::comm {

class FileCopyCommand;

// Takes a caller's cancel and suspend signals on the caller's thread and
// hands them to a file command running on the communication thread, which
// may be deleted there at any moment: the command is only touched while a
// strong reference keeps it alive. A conversion command's converter is
// suspended together with the command, so that a running conversion pauses
// too.
class AudioCommandRelay : public QObject {
    Q_OBJECT
public:
    AudioCommandRelay(const QWeakPointer<FileCopyCommand>& command, QObject* parent = nullptr);

public slots:
    void cancel();
    void setSuspended(bool suspended);

private:
    QWeakPointer<FileCopyCommand> command_;
};

} // namespace zel::qmix::comm
