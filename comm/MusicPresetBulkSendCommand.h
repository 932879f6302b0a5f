#pragma once

#include "comm/BulkSendCommand.h"

namespace zel::qmix::comm {

// The send of a music preset on models that take a preset only into an
// empty area: a preset area in use is cleared first.
class MusicPresetBulkSendCommand : public BulkSendCommand {
    Q_OBJECT
public:
    static constexpr int MusicPresetCategory = 37;

    // `deleteTimeMs`: how long the model takes to clear a preset area.
    MusicPresetBulkSendCommand(midi::DeviceHandler* handler, int areaNumber, QIODevice* device,
                               int deleteTimeMs, QObject* parent = nullptr);

protected:
    bool checkCapacity(const QByteArray& data) override;

    int deleteTimeMs;
};

} // namespace zel::qmix::comm
