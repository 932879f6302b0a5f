#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace zel::qmix::sysex {

// The message checksum: zlib's CRC-32 (reflected, polynomial 0xEDB88320).
class Checksum {
public:
    static quint32 crc32(const QByteArray& data);
    // CRC-32 of msg[first .. first + length - 1]; the range must lie inside msg.
    static quint32 crc32(const QByteArray& msg, qsizetype first, qsizetype length);
};

} // namespace zel::qmix::sysex
