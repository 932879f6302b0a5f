#pragma once

#include "comm/BulkReceiveCommand.h"

namespace zel::qmix::comm {

// Reads a complete backup: every block of the all-data category, in block
// order, each after a display picture that shows how far the backup is.
class AllDataBulkReceiveCommand : public BulkReceiveCommand {
    Q_OBJECT
public:
    static constexpr int AllDataCategory = 31;

    explicit AllDataBulkReceiveCommand(midi::DeviceHandler* handler, QIODevice* device,
                                       QObject* parent = nullptr);

    // The block sizes of the model the caller believes is connected.
    void setExpectedSizes(const QList<int>& sizes) { expectedSizes = sizes; }

protected:
    void start() override;

    QList<int> expectedSizes;
};

} // namespace zel::qmix::comm
