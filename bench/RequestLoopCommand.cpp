#include "bench/RequestLoopCommand.h"

namespace zel::qmix::bench {

namespace {
constexpr int kPresenceParameter = 24;
}

RequestLoopCommand::RequestLoopCommand(midi::DeviceHandler* handler, int requests)
    : SystemParameterCommand(handler)
    , requests_(requests) {}

void RequestLoopCommand::proceed() {
    for (int i = 0; i < requests_; ++i) {
        // A failed request has already ended the command.
        if (requestParameter(0, kPresenceParameter).isEmpty())
            return;
        ++answered_;
    }
    fail();
}

QVariant RequestLoopCommand::result() const {
    return answered_;
}

} // namespace zel::qmix::bench
