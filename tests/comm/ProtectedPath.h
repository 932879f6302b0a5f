#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

// Keeps a file from being written, or a folder from taking new files, for
// the life of the object, also for root: root ignores permissions, but not
// the immutable attribute. The attribute is set directly rather than through
// chattr, so that the test never forks (thread checkers refuse forks of a
// process that runs threads).
class ProtectedPath {
public:
    explicit ProtectedPath(const QString& path)
        : path_(path)
        , folder_(QFileInfo(path).isDir()) {
        if (geteuid() == 0)
            immutable_ = setImmutable(true);
        else
            QFile::setPermissions(path_, folder_ ? QFile::ReadOwner | QFile::ExeOwner
                                                 : QFile::ReadOwner | QFile::ReadUser);
    }
    ~ProtectedPath() {
        if (immutable_)
            setImmutable(false);
        QFile::Permissions restored = QFile::ReadOwner | QFile::WriteOwner;
        if (folder_)
            restored |= QFile::ExeOwner;
        QFile::setPermissions(path_, restored);
    }
    ProtectedPath(const ProtectedPath&) = delete;
    ProtectedPath& operator=(const ProtectedPath&) = delete;

    // Whether the protection holds for this process.
    bool isEffective() const {
        if (!folder_) {
            QFile file(path_);
            return !file.open(QIODevice::ReadWrite);
        }
        QFile probe(QDir(path_).filePath(QStringLiteral("probe")));
        const bool created = probe.open(QIODevice::WriteOnly);
        if (created)
            probe.remove();
        return !created;
    }

private:
    bool setImmutable(bool on) const {
        const int descriptor = ::open(QFile::encodeName(path_).constData(), O_RDONLY);
        if (descriptor < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            done = ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(descriptor);
        return done;
    }

    QString path_;
    bool folder_;
    bool immutable_ = false;
};
