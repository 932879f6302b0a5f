#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace zel::qmix::sysex {

// Bytes taken by an N-bit number in 7-bit groups. Only the low 8 bits of N count,
// as the width comes from a one-byte attribute.
constexpr unsigned int bit2byteLength(unsigned int bits) {
    return ((bits & 0xFFu) + 6u) / 7u;
}

// N-bit numbers carried least significant 7-bit group first.
class SysexNumbers {
public:
    // Widths below 32 are masked first, so an out-of-range value cannot spill
    // into the next field.
    static void writeNumber(QByteArray& msg, quint32 value, unsigned int bits);
    // Throws msg_error(1) when the number does not lie wholly inside msg.
    static quint32 readNumber(const QByteArray& msg, qsizetype pos, unsigned int bits);

    static void write7(QByteArray& msg, quint32 value) { writeNumber(msg, value, 7); }
    static void write14(QByteArray& msg, quint32 value) { writeNumber(msg, value, 14); }
    static void write32(QByteArray& msg, quint32 value) { writeNumber(msg, value, 32); }
    static quint32 read14(const QByteArray& msg, qsizetype pos) { return readNumber(msg, pos, 14); }
    static quint32 read32(const QByteArray& msg, qsizetype pos) { return readNumber(msg, pos, 32); }
};

} // namespace zel::qmix::sysex
