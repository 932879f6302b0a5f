#pragma once

#include "comm/AreaData.h"
#include "comm/SystemParameterCommand.h"

#include <QString>

namespace zel::qmix::comm {

// Reads whether one keyboard area holds data and, if it does, the data's
// name and size. Finishes in its first step; the result is an AreaData.
class AreaDataCommand : public SystemParameterCommand {
    Q_OBJECT
public:
    AreaDataCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                    QObject* parent = nullptr);

    void proceed() override;
    QVariant result() const override;

private:
    bool readArea();
    void finish(bool read);

    int failed_ = 1;
    int category_;
    int areaNumber_;
    bool used_ = false;
    QString name_;
    int size_ = 0;
};

} // namespace zel::qmix::comm
