#include "etc/MultipleRunDetector.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace zel::qmix::etc {

namespace {

// The name every copy of this version agrees on, as a file name.
const QString LockFileName = QStringLiteral("tavro-zel-tone-harbour-6.0.lock");

} // namespace

QString MultipleRunDetector::defaultLockFilePath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return QDir(folder).filePath(LockFileName);
}

MultipleRunDetector::MultipleRunDetector(QObject* parent, const QString& lockFilePath)
    : QObject(parent), lock_(std::make_unique<QLockFile>(lockFilePath)) {
    // Only a dead owner makes a lock stale, never its age: the first copy may
    // run for days.
    lock_->setStaleLockTime(0);
    alreadyRunning_ = !lock_->tryLock(0);
}

// The lock file goes with lock_, and only if this detector took it.
MultipleRunDetector::~MultipleRunDetector() = default;

} // namespace zel::qmix::etc
