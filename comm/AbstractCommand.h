#pragma once

#include "comm/CommandErrorCode.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <atomic>

namespace zel::qmix::midi {
class DeviceHandler;
}

namespace zel::qmix::comm {

// One operation on the keyboard (or one long file operation that must not
// overlap with one): started once, stepped until it marks itself done, ended,
// and reported through queued signals. Runs on the communication thread;
// cancel() and setSuspended() may arrive from any thread and only write flags
// that the running command polls.
class AbstractCommand : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultReplyTimeoutMs = 4000;

    explicit AbstractCommand(midi::DeviceHandler* handler, QObject* parent = nullptr);

    // The whole life of the command; called once, by the communication thread.
    void execute();

    virtual QVariant info() const;
    virtual bool isAborted();
    virtual void begin();
    virtual void end();
    virtual void proceed() = 0;
    virtual QVariant result() const = 0;
    virtual bool needsConnection() const = 0;

    // What started() carries; set by whoever queues the command.
    void setInfo(const QVariant& info) { info_ = info; }

    CommandErrorCode::T errorCode() const;
    bool isDone() const { return done_.load(); }
    bool isCanceled() const { return canceled_.load(); }
    bool isCancelable() const { return cancelable_.load(); }
    bool isSuspended() const { return suspended_.load(); }

    int replyTimeoutMs() const { return replyTimeoutMs_.load(); }
    void setReplyTimeoutMs(int ms) { replyTimeoutMs_.store(ms); }

signals:
    void progress(int done, int total);
    void started(QVariant info);
    void finished(QVariant result);
    void finished(QString);
    void cancelRequested();
    void cancelDisableRequested();

public slots:
    virtual void cancel();
    void setSuspended(bool suspended);

protected:
    midi::DeviceHandler* deviceHandler() const { return handler_; }

    // Ends the command. With an error set, asks for everything queued behind
    // it to be cancelled, while this command keeps its own error.
    void fail();
    void reportProgress(int done, int total);
    void setErrorCode(CommandErrorCode::T code);
    // Clearing it starts a phase that must not be interrupted; the progress
    // display is told so it can disable its cancel button.
    void setCancelable(bool cancelable);

private:
    midi::DeviceHandler* handler_;
    std::atomic<bool> done_{false};
    QVariant info_;
    std::atomic<int> errorCode_{CommandErrorCode::NoError};
    std::atomic<bool> canceled_{false};
    std::atomic<bool> cancelable_{true};
    std::atomic<bool> suspended_{false};
    std::atomic<int> replyTimeoutMs_{DefaultReplyTimeoutMs};
};

} // namespace zel::qmix::comm
