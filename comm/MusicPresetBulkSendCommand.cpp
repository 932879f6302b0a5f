#include "comm/MusicPresetBulkSendCommand.h"

namespace zel::qmix::comm {

MusicPresetBulkSendCommand::MusicPresetBulkSendCommand(midi::DeviceHandler* handler, int areaNumber,
                                                       QIODevice* device, int deleteTimeMs,
                                                       QObject* parent)
    : BulkSendCommand(handler, MusicPresetCategory, areaNumber, device, parent)
    , deleteTimeMs(deleteTimeMs) {}

bool MusicPresetBulkSendCommand::checkCapacity(const QByteArray& data) {
    if (!BulkSendCommand::checkCapacity(data))
        return false;
    const QVector<int> used = requestParameter(0, AreaUsed);
    if (used.size() != 1) {
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        return false;
    }
    if (used.first() == 0)
        return true;
    // The area is still selected from the capacity check.
    setParameter(ClearArea, 0);
    const int previousTimeoutMs = replyTimeoutMs();
    // The keyboard answers once the area is clear.
    setReplyTimeoutMs(3 * deleteTimeMs);
    const QVector<int> stillUsed = requestParameter(0, AreaUsed);
    setReplyTimeoutMs(previousTimeoutMs);
    if (stillUsed.size() == 1 && stillUsed.first() != 1)
        return true;
    setErrorCode(CommandErrorCode::CommunicationError);
    setState(Abort);
    return false;
}

} // namespace zel::qmix::comm
