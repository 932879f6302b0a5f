#include "file/FreeSpace.h"

#include <QStorageInfo>

#include <atomic>
#include <limits>

namespace zel::qmix::file {

namespace {

constexpr qint64 kNoOverride = std::numeric_limits<qint64>::min();

std::atomic<qint64> overrideBytes{kNoOverride};

} // namespace

qint64 FreeSpace::bytesAvailable(const QString& folder) {
    const qint64 forced = overrideBytes.load();
    if (forced != kNoOverride)
        return forced;
    const QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

bool FreeSpace::isEnough(const QString& folder, qint64 needed) {
    const qint64 available = bytesAvailable(folder);
    if (available < 0)
        return true;
    return available >= needed;
}

void FreeSpace::setOverride(qint64 bytes) {
    overrideBytes.store(bytes);
}

void FreeSpace::clearOverride() {
    overrideBytes.store(kNoOverride);
}

} // namespace zel::qmix::file
