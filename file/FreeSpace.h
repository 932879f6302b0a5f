#pragma once

#include <QString>
#include <QtGlobal>

namespace zel::qmix::file {

// Free space of the volume a file is about to be written to.
class FreeSpace {
public:
    // Bytes this user may still write on the volume that holds `folder`;
    // -1 when the volume cannot be examined.
    static qint64 bytesAvailable(const QString& folder);
    // False only when the volume is known to have less than `needed` bytes:
    // where the space cannot be determined the write itself has the last word.
    static bool isEnough(const QString& folder, qint64 needed);

    // Makes every query answer `bytes`, so that tests can simulate a full
    // volume. Process-wide; tests must call clearOverride() afterwards.
    static void setOverride(qint64 bytes);
    static void clearOverride();
};

} // namespace zel::qmix::file
