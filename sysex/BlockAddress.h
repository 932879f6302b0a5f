#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace zel::qmix::sysex {

// Names one block of a transfer: the body of ACK, RJC, ESS, EBS and HBR and the
// first four body bytes of HBS.
struct BlockAddress {
    static constexpr int LENGTH = 4;

    int category = 0;    // data category id, 7 bits
    int subAddress = 0;  // 7 bits
    int blockNumber = 0; // 14 bits

    void write(QByteArray& msg) const;
    // Throws msg_error(1) when the address does not lie wholly inside msg.
    static BlockAddress read(const QByteArray& msg, qsizetype pos);

    friend bool operator==(const BlockAddress& a, const BlockAddress& b) {
        return a.category == b.category && a.subAddress == b.subAddress &&
               a.blockNumber == b.blockNumber;
    }
    friend bool operator!=(const BlockAddress& a, const BlockAddress& b) { return !(a == b); }
};

} // namespace zel::qmix::sysex
