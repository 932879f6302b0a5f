#pragma once

#include "comm/AbstractCommand.h"

#include <QDir>
#include <QString>
#include <QVariant>

#include <mutex>

class QFile;

namespace zel::qmix::comm {

// Copies one file into a folder under a free name, with progress, cancel and
// suspension. Talks to no keyboard, but runs on the communication thread like
// every command, so that long file work never overlaps with a transfer.
class FileCopyCommand : public AbstractCommand {
    Q_OBJECT
public:
    static constexpr qint64 BlockSize = 102400;
    // Progress is reported before the first block and every this many after.
    static constexpr int ProgressInterval = 16;
    static constexpr int SuspendPollMs = 100;
    // Compared as an unsigned number: no limit at all.
    static constexpr qint64 NoLimit = -1;
    // The result of a failure that no error code names.
    static constexpr int UnexpectedFailure = 9;

    // The copy of `sourcePath` goes to `destinationDirectory` as
    // `requestedName` (made a safe file name) + `requestedExtension` (with its
    // dot), or with "(2)", "(3)", ... before the extension where that exists.
    // At most `byteLimit` bytes are copied.
    FileCopyCommand(const QString& sourcePath, const QDir& destinationDirectory,
                    const QString& requestedName, const QString& requestedExtension,
                    qint64 byteLimit = NoLimit, QObject* parent = nullptr);

    // Waits while suspended, then answers whether the command is cancelled.
    bool isAborted() override;
    void proceed() override;
    // A FileCopyCommandResult.
    QVariant result() const override;
    bool needsConnection() const override;

    QString sourcePath() const { return sourcePath_; }
    // Empty until the destination is chosen.
    QString destinationPath() const { return destinationPath_; }
    qint64 byteLimit() const { return byteLimit_; }

    // The first free path among `directory`/name + extension, then
    // name(2) + extension, name(3) + extension, ..., where name is
    // `requestedName` trimmed and made a safe file name. The file is created
    // empty at once, so that nothing else takes the name; empty when it
    // cannot be created.
    static QString claimFreePath(const QDir& directory, const QString& requestedName,
                                 const QString& extension);
    // Removes a file this command wrote, also when it was already protected.
    static void removeWrittenFile(const QString& path);

signals:
    void progressByDouble(double fraction);

public slots:
    // Ignored once the command has settled on its outcome.
    void cancel() override;

protected:
    // Copies at most `limit` bytes of `source` to `destination`; returns a
    // command error code. On failure the destination is removed.
    int copy(const QString& source, const QString& destination, qint64 limit);
    // Throws CommandFailure{Canceled} once the command is cancelled.
    void throwIfAborted();
    // Ends the command with `code`. A cancel arriving from now on can no
    // longer turn the outcome into something it was not.
    void finishWith(int code);
    void setDestinationPath(const QString& path) { destinationPath_ = path; }

private:
    void copyBlocks(QFile& source, QFile& destination, qint64 limit);
    void reportCopyProgress(quint64 copied, quint64 total);

    QString sourcePath_;
    QString destinationPath_;
    qint64 byteLimit_;
    QDir destinationDirectory_;
    QString requestedName_;
    QString requestedExtension_;
    // cancel() and finishWith() take turns, so that a late cancel cannot
    // overwrite the outcome between its setting and its report.
    std::mutex outcomeMutex_;
    bool outcomeSettled_ = false;
};

} // namespace zel::qmix::comm
