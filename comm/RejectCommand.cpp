#include "comm/RejectCommand.h"

#include "sysex/EXIEncoder.h"
#include "sysex/RJCEncoder.h"

#include <QThread>

namespace zel::qmix::comm {

RejectCommand::RejectCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                             QObject* parent)
    : BulkDumpCommand(handler, category, areaNumber, nullptr, parent) {}

void RejectCommand::proceed() {
    sysex::EXIEncoder pause;
    sendMessage(pause);
    QThread::msleep(PauseMs);
    sysex::RJCEncoder refusal(category, DataSubAddress, areaNumber);
    sendMessage(refusal);
    fail();
}

QVariant RejectCommand::result() const {
    return {};
}

bool RejectCommand::isElementActive(const BulkElement&) const {
    return true;
}

} // namespace zel::qmix::comm
