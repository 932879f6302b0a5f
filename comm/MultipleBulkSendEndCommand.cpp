#include "comm/MultipleBulkSendEndCommand.h"

#include "sysex/EBSEncoder.h"
#include "sysex/EXIEncoder.h"

#include <QThread>

namespace zel::qmix::comm {

MultipleBulkSendEndCommand::MultipleBulkSendEndCommand(midi::DeviceHandler* handler, int category,
                                                       int areaNumber, QObject* parent)
    : BulkDumpCommand(handler, category, areaNumber, nullptr, parent) {}

void MultipleBulkSendEndCommand::proceed() {
    sysex::EXIEncoder pause;
    sendMessage(pause);
    QThread::msleep(PauseMs);
    sysex::EBSEncoder end(category, DataSubAddress, areaNumber);
    sendMessage(end);
    fail();
}

QVariant MultipleBulkSendEndCommand::result() const {
    return {};
}

bool MultipleBulkSendEndCommand::isElementActive(const BulkElement&) const {
    return true;
}

} // namespace zel::qmix::comm
