#pragma once

#include "comm/BulkDumpCommand.h"

namespace zel::qmix::comm {

// Abandons a series of sends: EXI, a short pause, then RJC for the last area.
class RejectCommand : public BulkDumpCommand {
    Q_OBJECT
public:
    static constexpr int PauseMs = 100;

    RejectCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                  QObject* parent = nullptr);

    void proceed() override;
    QVariant result() const override;
    bool isElementActive(const BulkElement& element) const override;
};

} // namespace zel::qmix::comm
