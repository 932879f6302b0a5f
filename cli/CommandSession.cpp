#include "cli/CommandSession.h"

#include "cli/Interrupt.h"
#include "comm/AreaDeleteCommandInfo.h"
#include "comm/BulkSendCommandInfo.h"
#include "comm/CommandMetaTypes.h"

#include <QEventLoop>

namespace zel::qmix::cli {

CommandSession::CommandSession(Interrupt& interrupt, QObject* parent)
    : QObject(parent)
    , interrupt_(interrupt) {
    comm::CommandMetaTypes::registerAll();
}

CommandSession::~CommandSession() = default;

comm::CommandConnections CommandSession::connections() const {
    comm::CommandConnections connections;
    connections.receiver = this;
    connections.startedSlot = SLOT(onStarted(QVariant));
    connections.finishedSlot = SLOT(onFinished(QVariant));
    connections.progressSlot = SLOT(onProgress(int, int));
    connections.cancelSource = &interrupt_;
    connections.cancelSignal = SIGNAL(cancelRequested());
    connections.suspendSource = &interrupt_;
    connections.suspendSignal = SIGNAL(suspendChangeRequested(bool));
    return connections;
}

comm::CommandConnections CommandSession::resultConnections() const {
    comm::CommandConnections connections;
    connections.receiver = this;
    connections.finishedSlot = SLOT(onFinished(QVariant));
    return connections;
}

void CommandSession::waitForResults(int count) {
    QEventLoop loop;
    connect(this, &CommandSession::resultArrived, &loop, &QEventLoop::quit);
    while (results_.size() < count)
        loop.exec();
}

QString CommandSession::titleOf(const QVariant& info) {
    if (info.metaType() == QMetaType::fromType<comm::BulkSendCommandInfo>())
        return info.value<comm::BulkSendCommandInfo>().name;
    if (info.metaType() == QMetaType::fromType<comm::AreaDeleteCommandInfo>())
        return info.value<comm::AreaDeleteCommandInfo>().name;
    return info.toString();
}

void CommandSession::onStarted(QVariant info) {
    progress_.start(titleOf(info));
}

void CommandSession::onProgress(int done, int total) {
    progress_.setProgress(done, total);
}

void CommandSession::onFinished(QVariant result) {
    progress_.finish();
    if (resultHandler_)
        resultHandler_(result);
    results_.append(result);
    emit resultArrived();
}

} // namespace zel::qmix::cli
