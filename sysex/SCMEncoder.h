#pragma once

#include "sysex/BlockAddress.h"
#include "sysex/Encoder.h"

namespace zel::qmix::sysex {

// A message whose body is a block address alone (ACK, RJC, ESS, EBS, HBR).
class SCMEncoder : public Encoder {
public:
    explicit SCMEncoder(int type, int category = 0, int subAddress = 0, int blockNumber = 0);
    SCMEncoder(int type, const BlockAddress& address);

    using Encoder::setType;
    void setCategory(int category) { address_.category = category; }
    void setSubAddress(int subAddress) { address_.subAddress = subAddress; }
    void setBlockNumber(int blockNumber) { address_.blockNumber = blockNumber; }
    void setBlockAddress(const BlockAddress& address) { address_ = address; }
    const BlockAddress& blockAddress() const { return address_; }

protected:
    void writeBody(QByteArray& msg) override;

private:
    BlockAddress address_;
};

} // namespace zel::qmix::sysex
