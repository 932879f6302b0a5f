#include "file/CardFileProtection.h"

#include <QFile>
#include <QFileInfo>

namespace zel::qmix::file {

namespace {

constexpr QFile::Permissions kAllWritePermissions =
    QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;

} // namespace

// This system has no hidden or system file attributes; the permissions are
// the whole protection.

bool CardFileProtection::unprotect(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return true;
    return QFile::setPermissions(path, info.permissions() | QFile::WriteOwner | QFile::WriteUser);
}

bool CardFileProtection::protect(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    return QFile::setPermissions(path, info.permissions() & ~kAllWritePermissions);
}

} // namespace zel::qmix::file
