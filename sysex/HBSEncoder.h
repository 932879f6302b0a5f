#pragma once

#include "sysex/BlockAddress.h"
#include "sysex/Encoder.h"

namespace zel::qmix::sysex {

// One block of bulk data: block address, data length, the data packed 8-in-7
// and a CRC-32 over everything between F0 and the checksum.
class HBSEncoder : public Encoder {
public:
    // The largest length the 14-bit length field can carry.
    static constexpr int MAX_DATA_LENGTH = 0x3FFF;

    explicit HBSEncoder(const BlockAddress& address = BlockAddress(),
                        const QByteArray& data = QByteArray());

    // Length of the whole message, F0 to F7, for dataLength bytes of data.
    static qsizetype messageLength(qsizetype dataLength);

    void setCategory(int category) { address_.category = category; }
    void setSubAddress(int subAddress) { address_.subAddress = subAddress; }
    void setBlockNumber(int blockNumber) { address_.blockNumber = blockNumber; }
    void setBlockAddress(const BlockAddress& address) { address_ = address; }
    void setData(const QByteArray& data) { data_ = data; }

    const BlockAddress& blockAddress() const { return address_; }
    const QByteArray& data() const { return data_; }

protected:
    void writeBody(QByteArray& msg) override;

private:
    BlockAddress address_;
    QByteArray data_;
};

} // namespace zel::qmix::sysex
