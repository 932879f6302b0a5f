#pragma once

#include "midi/WireEndpoint.h"

namespace zel::qmix::bench {

// A keyboard that is plugged in but never answers.
class SilentEndpoint : public midi::WireEndpoint {
public:
    using midi::WireEndpoint::WireEndpoint;
    void receiveFromProgram(const QByteArray& message) override;
};

} // namespace zel::qmix::bench
