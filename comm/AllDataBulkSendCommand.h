#pragma once

#include "comm/BulkSendCommand.h"

namespace zel::qmix::comm {

// Writes a complete backup back: the backup bytes cut into the model's
// all-data blocks, each after a display picture; the last picture follows
// the last block. The keyboard adopts the backup once the last block is in.
class AllDataBulkSendCommand : public BulkSendCommand {
    Q_OBJECT
public:
    static constexpr int AllDataCategory = 31;

    explicit AllDataBulkSendCommand(midi::DeviceHandler* handler, QIODevice* device,
                                    QObject* parent = nullptr);

    // The block sizes of the model the backup was made for.
    void setExpectedSizes(const QList<int>& sizes) { expectedSizes = sizes; }

protected:
    void start() override;

    QList<int> expectedSizes;
};

} // namespace zel::qmix::comm
