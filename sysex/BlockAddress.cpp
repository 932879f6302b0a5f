#include "sysex/BlockAddress.h"

#include "sysex/SysexNumbers.h"

namespace zel::qmix::sysex {

void BlockAddress::write(QByteArray& msg) const {
    SysexNumbers::write7(msg, quint32(category));
    SysexNumbers::write7(msg, quint32(subAddress));
    SysexNumbers::write14(msg, quint32(blockNumber));
}

BlockAddress BlockAddress::read(const QByteArray& msg, qsizetype pos) {
    BlockAddress address;
    address.category = int(SysexNumbers::readNumber(msg, pos, 7));
    address.subAddress = int(SysexNumbers::readNumber(msg, pos + 1, 7));
    address.blockNumber = int(SysexNumbers::read14(msg, pos + 2));
    return address;
}

} // namespace zel::qmix::sysex
