#include "comm/MultipleBulkSendEndCommand.h"

#include "comm/BulkSendCommandResult.h"

#include "sysex/EBSEncoder.h"
#include "sysex/EXIEncoder.h"

#include <QThread>

namespace zel::qmix::comm {

MultipleBulkSendEndCommand::MultipleBulkSendEndCommand(midi::DeviceHandler* handler, int category,
                                                       int areaNumber, QObject* parent)
    : BulkDumpCommand(handler, category, areaNumber, nullptr, parent)
    , reportedCategory_(category)
    , reportedArea_(areaNumber) {}

void MultipleBulkSendEndCommand::proceed() {
    sysex::EXIEncoder pause;
    sendMessage(pause);
    QThread::msleep(PauseMs);
    sysex::EBSEncoder end(category, DataSubAddress, areaNumber);
    sendMessage(end);
    checkSeries();
    fail();
}

void MultipleBulkSendEndCommand::checkSeries() {
    if (!openSeries)
        return;
    for (const OpenSendSeries::SentArea& sent : openSeries->takeAll()) {
        const std::optional<int> stored = storedSize(sent.category, sent.areaNumber);
        // A keyboard that leaves one question unanswered will not answer the
        // next; asking on would only keep the caller waiting.
        if (!stored)
            return;
        if (*stored != sent.size) {
            setErrorCode(CommandErrorCode::CommunicationError);
            reportedCategory_ = sent.category;
            reportedArea_ = sent.areaNumber;
            return;
        }
    }
}

QVariant MultipleBulkSendEndCommand::result() const {
    return QVariant::fromValue(
        BulkSendCommandResult{errorCode(), reportedCategory_, reportedArea_});
}

bool MultipleBulkSendEndCommand::isElementActive(const BulkElement&) const {
    return true;
}

} // namespace zel::qmix::comm
