#include "KeyboardFixture.h"

namespace {

QByteArray address(int id, int offset, int length) {
    QByteArray bytes(18, '\0');
    bytes[12] = char(id & 0x7F);
    bytes[13] = char(id >> 7);
    bytes[14] = char(offset & 0x7F);
    bytes[15] = char(offset >> 7);
    bytes[16] = char(length & 0x7F);
    bytes[17] = char(length >> 7);
    return bytes;
}

} // namespace

QByteArray parameterRequest(int id, int offset, int length) {
    return QByteArray::fromHex("F03B2C017F00") + address(id, offset, length) +
           QByteArray::fromHex("F7");
}

QByteArray parameterWrite(int id, int value) {
    // The area number is a 14-bit parameter; the others written are 7-bit.
    QByteArray number(1, char(value & 0x7F));
    if (id == 27)
        number.append(char(value >> 7));
    return QByteArray::fromHex("F03B2C017F01") + address(id, 0, 0) + number +
           QByteArray::fromHex("F7");
}
