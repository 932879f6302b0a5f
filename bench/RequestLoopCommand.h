#pragma once

#include "comm/SystemParameterCommand.h"

namespace zel::qmix::bench {

// Asks the keyboard's presence parameter over and over, as the keyboard view
// does with its thousands of area queries.
class RequestLoopCommand : public comm::SystemParameterCommand {
public:
    RequestLoopCommand(midi::DeviceHandler* handler, int requests);

    void proceed() override;
    QVariant result() const override;

    int answered() const { return answered_; }

private:
    int requests_;
    int answered_ = 0;
};

} // namespace zel::qmix::bench
