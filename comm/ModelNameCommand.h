#pragma once

#include "comm/SystemParameterCommand.h"

#include <QString>

namespace zel::qmix::comm {

// Asks the connected keyboard for its model name (system parameter 0, eight
// 7-bit characters). Finishes in its first step; the result is always a
// string, empty when the keyboard did not answer.
class ModelNameCommand : public SystemParameterCommand {
    Q_OBJECT
public:
    static constexpr int NameLength = 8;

    explicit ModelNameCommand(midi::DeviceHandler* handler, QObject* parent = nullptr);

    void proceed() override;
    QVariant result() const override;
    bool needsConnection() const override;

private:
    QString modelName_;
};

} // namespace zel::qmix::comm
