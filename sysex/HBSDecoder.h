#pragma once

#include "sysex/BlockAddress.h"
#include "sysex/Decoder.h"

namespace zel::qmix::sysex {

// Reads one block of bulk data from an HBS message after checking its type,
// its checksum and that its length field matches the message.
class HBSDecoder : public Decoder {
public:
    const QByteArray& data() const { return data_; }
    const BlockAddress& blockAddress() const { return address_; }

protected:
    void validate(const QByteArray& msg) override;
    void parse(const QByteArray& msg) override;

private:
    QByteArray data_;
    BlockAddress address_;
};

} // namespace zel::qmix::sysex
