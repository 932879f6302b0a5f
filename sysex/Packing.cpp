#include "sysex/Packing.h"

#include "sysex/msg_error.h"

namespace zel::qmix::sysex {

qsizetype Packing::packedLength(qsizetype dataLength) {
    return dataLength + (dataLength + 6) / 7;
}

void Packing::pack(QByteArray& msg, const QByteArray& data) {
    // Each data byte leaves n of its bits in the current group and carries the
    // rest into the next one; after seven bytes the carry is a whole group.
    quint8 carry = 0;
    quint8 mask = 0x7F;
    int n = 7;
    for (const char byte : data) {
        const quint8 d = quint8(byte);
        msg.append(char(carry | quint8((d & mask) << (7 - n))));
        carry = quint8(d >> n);
        if (n == 1) {
            msg.append(char(carry));
            carry = 0;
            mask = 0x7F;
            n = 7;
        } else {
            mask >>= 1;
            --n;
        }
    }
    if (n != 7)
        msg.append(char(carry));
}

QByteArray Packing::unpack(const QByteArray& msg, qsizetype pos, qsizetype dataLength) {
    if (dataLength < 0 || pos < 0 || pos > msg.size() ||
        packedLength(dataLength) > msg.size() - pos)
        throw msg_error(msg_error::MALFORMED);

    QByteArray data;
    data.reserve(dataLength);
    quint32 bits = 0;
    int bitCount = 0;
    for (qsizetype i = pos; data.size() < dataLength; ++i) {
        bits |= quint32(quint8(msg.at(i)) & 0x7F) << bitCount;
        bitCount += 7;
        if (bitCount >= 8) {
            data.append(char(bits & 0xFF));
            bits >>= 8;
            bitCount -= 8;
        }
    }
    return data;
}

} // namespace zel::qmix::sysex
