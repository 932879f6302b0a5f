#pragma once

#include "comm/BulkDumpCommand.h"

namespace zel::qmix::comm {

// Closes a series of sends: EXI, a short pause, then EBS for the last area.
// Then it checks the sizes stored for the areas of the series; its result
// names the first area that did not arrive whole, with the communication
// error, or its own area without error.
class MultipleBulkSendEndCommand : public BulkDumpCommand {
    Q_OBJECT
public:
    static constexpr int PauseMs = 100;

    MultipleBulkSendEndCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                               QObject* parent = nullptr);

    void proceed() override;
    QVariant result() const override;
    bool isElementActive(const BulkElement& element) const override;

private:
    void checkSeries();

    int reportedCategory_;
    int reportedArea_;
};

} // namespace zel::qmix::comm
