#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLockFile;

namespace zel::qmix::etc {

// Keeps a second copy of the program from running: the first copy holds a lock
// file for as long as its detector lives; a later copy finds it taken. A lock
// left behind by a copy that crashed belongs to a process that no longer
// exists and is taken over.
class MultipleRunDetector : public QObject {
    Q_OBJECT

public:
    // The lock file of the installed program, in the user's runtime folder.
    static QString defaultLockFilePath();

    // Takes the lock at once. Tests give a lock file of their own.
    explicit MultipleRunDetector(QObject* parent = nullptr,
                                 const QString& lockFilePath = defaultLockFilePath());
    ~MultipleRunDetector() override;

    // True when another live copy holds the lock, or the lock file could not
    // be made at all (a copy that cannot tell must not run beside another).
    bool alreadyRunning() const { return alreadyRunning_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool alreadyRunning_ = true;
};

} // namespace zel::qmix::etc
