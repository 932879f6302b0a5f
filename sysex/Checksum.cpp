#include "sysex/Checksum.h"

#include <zlib.h>

namespace zel::qmix::sysex {

quint32 Checksum::crc32(const QByteArray& data) {
    return crc32(data, 0, data.size());
}

quint32 Checksum::crc32(const QByteArray& msg, qsizetype first, qsizetype length) {
    Q_ASSERT(first >= 0 && length >= 0 && first <= msg.size() - length);
    const auto* bytes = reinterpret_cast<const Bytef*>(msg.constData() + first);
    uLong crc = ::crc32(0L, Z_NULL, 0);
    // zlib takes the length as uInt; messages are far below that limit, but
    // feed it in pieces so a larger buffer cannot be cut short silently.
    constexpr qsizetype CHUNK = 1 << 30;
    while (length > 0) {
        const qsizetype piece = length < CHUNK ? length : CHUNK;
        crc = ::crc32(crc, bytes, uInt(piece));
        bytes += piece;
        length -= piece;
    }
    return quint32(crc);
}

} // namespace zel::qmix::sysex
