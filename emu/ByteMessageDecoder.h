#pragma once

#include "sysex/Decoder.h"
#include "sysex/MessageFrame.h"

namespace zel::qmix::emu {

// Reads the messages whose body is one 7-bit byte (SBS and ERR).
class ByteMessageDecoder : public sysex::Decoder {
public:
    static constexpr int MESSAGE_LENGTH = sysex::MessageFrame::BODY_OFFSET + 2;

    int value() const { return value_; }

protected:
    void validate(const QByteArray& msg) override;
    void parse(const QByteArray& msg) override;

private:
    int value_ = 0;
};

} // namespace zel::qmix::emu
