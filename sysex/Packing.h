#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace zel::qmix::sysex {

// 8-in-7 packing of bulk data: the data bytes form one bit stream, least
// significant bit first, cut into 7-bit groups. L bytes take L + ceil(L/7).
class Packing {
public:
    static qsizetype packedLength(qsizetype dataLength);
    static void pack(QByteArray& msg, const QByteArray& data);
    // Unpacks exactly dataLength bytes from msg starting at pos. Throws msg_error(1)
    // when msg ends first, so a short message can never be read past its end.
    static QByteArray unpack(const QByteArray& msg, qsizetype pos, qsizetype dataLength);
};

} // namespace zel::qmix::sysex
