#include "CommandCaller.h"

#include "comm/CommandControlSource.h"
#include "comm/CommandReplies.h"

using zel::qmix::comm::CommandConnections;

CommandConnections CommandCaller::connections() const {
    CommandConnections wiring;
    wiring.receiver = this;
    wiring.startedSlot = SLOT(onStart(QVariant));
    wiring.finishedSlot = SLOT(onFinish(QVariant));
    wiring.progressSlot = SLOT(onProgress(int, int));
    wiring.cancelDisableSlot = SLOT(onCancelDisabled());
    wiring.cancelSource = this;
    wiring.cancelSignal = SIGNAL(cancelPressed());
    wiring.suspendSource = this;
    wiring.suspendSignal = SIGNAL(suspendChanged(bool));
    return wiring;
}

CommandConnections CommandCaller::checkedConnections() const {
    CommandConnections wiring;
    wiring.replies = zel::qmix::comm::CommandReplies::to(this)
                         .started(&CommandCaller::onStart)
                         .finished(&CommandCaller::onFinish)
                         .percentProgress(&CommandCaller::onProgress);
    wiring.controls = zel::qmix::comm::CommandControlSource::of(this, &CommandCaller::cancelPressed,
                                                                &CommandCaller::suspendChanged);
    return wiring;
}
