#pragma once

#include <QtGlobal>

namespace zel::qmix::sysex {

// One parameter's attributes in their 4-byte record layout. Only bitWidth is
// consulted by the codec; the element count is kept for the commands.
struct ParameterAttribute {
    quint8 countLow; // element count, little-endian
    quint8 countHigh;
    quint8 bitWidth; // width of one value in an IPS message
    quint8 reserved; // always zero

    int count() const { return countLow | (countHigh << 8); }
};

static_assert(sizeof(ParameterAttribute) == 4, "the attribute record is four bytes");

} // namespace zel::qmix::sysex
