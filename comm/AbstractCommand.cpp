#include "comm/AbstractCommand.h"

#include "comm/CommandMetaTypes.h"

#include "midi/DeviceHandler.h"

namespace zel::qmix::comm {

AbstractCommand::AbstractCommand(midi::DeviceHandler* handler, QObject* parent)
    : QObject(parent)
    , handler_(handler) {
    // Infos and results travel as QVariant through queued signals, and
    // receivers look their types up by name.
    CommandMetaTypes::registerAll();
}

void AbstractCommand::execute() {
    if (isAborted())
        fail();
    // Replies still queued from an earlier command must never be taken as
    // this command's.
    if (needsConnection() && handler_)
        handler_->clearReceived();
    emit started(info());
    begin();
    while (!done_.load())
        proceed();
    end();
    const QVariant outcome = result();
    if (outcome.typeId() == QMetaType::QString)
        emit finished(outcome.toString());
    emit finished(outcome);
}

QVariant AbstractCommand::info() const {
    return info_;
}

bool AbstractCommand::isAborted() {
    return canceled_.load();
}

void AbstractCommand::begin() {}

void AbstractCommand::end() {}

void AbstractCommand::cancel() {
    if (!cancelable_.load())
        return;
    if (!canceled_.load() || errorCode_.load() != CommandErrorCode::Canceled) {
        errorCode_.store(CommandErrorCode::Canceled);
        canceled_.store(true);
    }
}

void AbstractCommand::setSuspended(bool suspended) {
    suspended_.store(suspended);
}

CommandErrorCode::T AbstractCommand::errorCode() const {
    return static_cast<CommandErrorCode::T>(errorCode_.load());
}

void AbstractCommand::fail() {
    done_.store(true);
    const int code = errorCode_.load();
    if (code == CommandErrorCode::NoError)
        return;
    const bool wasCanceled = canceled_.load();
    emit cancelRequested();
    // The relayed cancellation reaches this command too; it must end with
    // the error that made it fail, not with Canceled.
    errorCode_.store(code);
    canceled_.store(wasCanceled);
}

void AbstractCommand::reportProgress(int done, int total) {
    emit progress(done, total);
}

void AbstractCommand::setErrorCode(CommandErrorCode::T code) {
    errorCode_.store(code);
}

void AbstractCommand::setCancelable(bool cancelable) {
    cancelable_.store(cancelable);
    if (!cancelable)
        emit cancelDisableRequested();
}

} // namespace zel::qmix::comm
