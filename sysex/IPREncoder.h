#pragma once

#include "sysex/Encoder.h"

#include <array>

namespace zel::qmix::sysex {

// Asks the keyboard for length_ + 1 values of one parameter. The reply must fit
// in one IPS message, which an assertion guards.
class IPREncoder : public Encoder {
public:
    // Every 14-bit field starts at 0.
    explicit IPREncoder(int category = 0, int subAddress = 0);

    void setCategory(int category) { cat_ = category & 0x7F; }
    void setSubAddress(int subAddress) { subAddress_ = subAddress & 0x7F; }
    void setAddressNumber(int number) { addressNumber_ = number & 0x3FFF; }
    void setId(int id) { id_ = id & 0x3FFF; }
    void setOffset(int offset) { offset_ = offset & 0x3FFF; }
    // The number of requested values minus 1.
    void setLength(int length) { length_ = length & 0x3FFF; }
    // position is 0..3; other positions are ignored.
    void setIndex(int position, int value);

protected:
    void writeBody(QByteArray& msg) override;

private:
    // Fields are kept as they go on the wire, so the size check sees what is sent.
    int cat_;
    int subAddress_;
    int addressNumber_ = 0;
    int id_ = 0;
    int offset_ = 0;
    int length_ = 0;
    std::array<int, 4> indexes_{};
};

} // namespace zel::qmix::sysex
