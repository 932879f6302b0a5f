#pragma once

#include "sysex/Decoder.h"
#include "sysex/ParameterAddress.h"

namespace zel::qmix::emu {

// The keyboard's reading of a parameter request: an IPR is exactly the
// address and the end byte.
class IPRDecoder : public sysex::Decoder {
public:
    static constexpr int MESSAGE_LENGTH = sysex::ParameterAddress::END_OFFSET + 1;

    const sysex::ParameterAddress& address() const { return address_; }

protected:
    void validate(const QByteArray& msg) override;
    void parse(const QByteArray& msg) override;

private:
    sysex::ParameterAddress address_;
};

} // namespace zel::qmix::emu
