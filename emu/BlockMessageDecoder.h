#pragma once

#include "sysex/BlockAddress.h"
#include "sysex/Decoder.h"
#include "sysex/MessageFrame.h"

namespace zel::qmix::emu {

// Reads the messages whose body is a block address alone (HBR, ACK, RJC, ESS,
// EBS). Which of them arrived is the caller's to tell from the type byte.
class BlockMessageDecoder : public sysex::Decoder {
public:
    static constexpr int MESSAGE_LENGTH =
        sysex::MessageFrame::BODY_OFFSET + sysex::BlockAddress::LENGTH + 1;

    const sysex::BlockAddress& address() const { return address_; }

protected:
    void validate(const QByteArray& msg) override;
    void parse(const QByteArray& msg) override;

private:
    sysex::BlockAddress address_;
};

} // namespace zel::qmix::emu
