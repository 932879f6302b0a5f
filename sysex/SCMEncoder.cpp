#include "sysex/SCMEncoder.h"

namespace zel::qmix::sysex {

SCMEncoder::SCMEncoder(int type, int category, int subAddress, int blockNumber)
    : SCMEncoder(type, BlockAddress{category, subAddress, blockNumber}) {}

SCMEncoder::SCMEncoder(int type, const BlockAddress& address)
    : Encoder(type)
    , address_(address) {}

void SCMEncoder::writeBody(QByteArray& msg) {
    address_.write(msg);
}

} // namespace zel::qmix::sysex
