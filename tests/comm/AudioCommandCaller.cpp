#include "AudioCommandCaller.h"

#include "comm/CommandControlSource.h"
#include "comm/CommandReplies.h"

using zel::qmix::comm::CommandConnections;

CommandConnections AudioCommandCaller::connections() const {
    CommandConnections wiring;
    wiring.receiver = this;
    wiring.startedSlot = SLOT(onStart(QVariant));
    wiring.finishedSlot = SLOT(onFinish(QVariant));
    wiring.progressSlot = SLOT(onProgress(int, int));
    wiring.cancelSource = this;
    wiring.cancelSignal = SIGNAL(cancelPressed());
    wiring.suspendSource = this;
    wiring.suspendSignal = SIGNAL(suspendChanged(bool));
    return wiring;
}

CommandConnections AudioCommandCaller::checkedConnections() const {
    CommandConnections wiring;
    wiring.replies = zel::qmix::comm::CommandReplies::to(this)
                         .started(&AudioCommandCaller::onStart)
                         .finished(&AudioCommandCaller::onFinish)
                         .percentProgress(&AudioCommandCaller::onProgress);
    wiring.controls = zel::qmix::comm::CommandControlSource::of(
        this, &AudioCommandCaller::cancelPressed, &AudioCommandCaller::suspendChanged);
    return wiring;
}
