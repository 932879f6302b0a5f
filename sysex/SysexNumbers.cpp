#include "sysex/SysexNumbers.h"

#include "sysex/msg_error.h"

namespace zel::qmix::sysex {

namespace {

// Groups at or beyond bit 32 carry nothing of a 32-bit value; shifting into them
// would be undefined.
constexpr unsigned int VALUE_BITS = 32;

quint32 maskedToWidth(quint32 value, unsigned int bits) {
    return bits < VALUE_BITS ? value & ((quint32(1) << bits) - 1) : value;
}

} // namespace

void SysexNumbers::writeNumber(QByteArray& msg, quint32 value, unsigned int bits) {
    const unsigned int byteCount = bit2byteLength(bits);
    const quint32 masked = maskedToWidth(value, bits & 0xFFu);
    for (unsigned int i = 0; i < byteCount; ++i) {
        const unsigned int shift = 7 * i;
        const quint32 group = shift < VALUE_BITS ? (masked >> shift) & 0x7F : 0;
        msg.append(char(group));
    }
}

quint32 SysexNumbers::readNumber(const QByteArray& msg, qsizetype pos, unsigned int bits) {
    const qsizetype byteCount = bit2byteLength(bits);
    if (pos < 0 || pos > msg.size() - byteCount)
        throw msg_error(msg_error::MALFORMED);
    quint32 value = 0;
    for (qsizetype i = 0; i < byteCount; ++i) {
        const unsigned int shift = 7 * unsigned(i);
        if (shift < VALUE_BITS)
            value |= quint32(quint8(msg.at(pos + i)) & 0x7F) << shift;
    }
    return value;
}

} // namespace zel::qmix::sysex
