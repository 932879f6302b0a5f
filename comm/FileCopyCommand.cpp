#include "comm/FileCopyCommand.h"

#include "comm/CommandFailure.h"
#include "comm/FileCopyCommandResult.h"
#include "file/CardFileProtection.h"
#include "file/FileNaming.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <limits>
#include <vector>

namespace zel::qmix::comm {

namespace {

// progress(int, int) counts bytes; files beyond 2 GiB are counted in larger
// units so that both numbers fit.
void scaleToInt(quint64& done, quint64& total) {
    while (total > quint64(std::numeric_limits<int>::max())) {
        done >>= 1;
        total >>= 1;
    }
}

} // namespace

FileCopyCommand::FileCopyCommand(const QString& sourcePath, const QDir& destinationDirectory,
                                 const QString& requestedName, const QString& requestedExtension,
                                 qint64 byteLimit, QObject* parent)
    : AbstractCommand(nullptr, parent)
    , sourcePath_(sourcePath)
    , byteLimit_(byteLimit)
    , destinationDirectory_(destinationDirectory)
    , requestedName_(requestedName)
    , requestedExtension_(requestedExtension) {}

bool FileCopyCommand::isAborted() {
    while (isSuspended())
        QThread::msleep(SuspendPollMs);
    return AbstractCommand::isAborted();
}

bool FileCopyCommand::needsConnection() const {
    return false;
}

QVariant FileCopyCommand::result() const {
    return QVariant::fromValue(FileCopyCommandResult{errorCode(), sourcePath_, destinationPath_});
}

void FileCopyCommand::proceed() {
    int code = CommandErrorCode::NoError;
    try {
        destinationPath_ =
            claimFreePath(destinationDirectory_, requestedName_, requestedExtension_);
        code = destinationPath_.isEmpty() ? int(CommandErrorCode::FileWriteError)
                                          : copy(sourcePath_, destinationPath_, byteLimit_);
    } catch (...) {
        code = UnexpectedFailure;
    }
    finishWith(code);
}

QString FileCopyCommand::claimFreePath(const QDir& directory, const QString& requestedName,
                                       const QString& extension) {
    // Trimmed before it is made safe, so that a name of spaces becomes "_"
    // and a dot behind leading spaces cannot hide the file.
    const QString name = file::FileNaming::safeFileName(requestedName.trimmed());
    for (int number = 1;; ++number) {
        const QString candidate =
            number == 1 ? directory.filePath(name + extension)
                        : directory.filePath(
                              QStringLiteral("%1(%2)%3").arg(name).arg(number).arg(extension));
        if (QFileInfo::exists(candidate))
            continue;
        QFile claimed(candidate);
        if (claimed.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return candidate;
        // Taken between the look and the creation: try the next name.
        if (!QFileInfo::exists(candidate))
            return QString();
    }
}

void FileCopyCommand::removeWrittenFile(const QString& path) {
    if (path.isEmpty())
        return;
    file::CardFileProtection::unprotect(path);
    QFile::remove(path);
}

int FileCopyCommand::copy(const QString& source, const QString& destination, qint64 limit) {
    QFile input(source);
    QFile output(destination);
    int code = CommandErrorCode::NoError;
    try {
        copyBlocks(input, output, limit);
        return CommandErrorCode::NoError;
    } catch (const CommandFailure& failure) {
        code = failure.code;
    } catch (...) {
        code = UnexpectedFailure;
    }
    input.close();
    output.close();
    removeWrittenFile(destination);
    return code;
}

void FileCopyCommand::copyBlocks(QFile& source, QFile& destination, qint64 limit) {
    if (!source.open(QIODevice::ReadOnly))
        throw CommandFailure{CommandErrorCode::FileReadError};
    // Unbuffered: a full disk must show at the write that does not fit.
    if (!destination.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw CommandFailure{CommandErrorCode::FileWriteError};

    const quint64 total = std::min(quint64(source.size()), quint64(limit));
    std::vector<char> block(static_cast<size_t>(BlockSize));
    quint64 copied = 0;
    for (qint64 blocks = 0; copied < total; ++blocks) {
        if (blocks % ProgressInterval == 0)
            reportCopyProgress(copied, total);
        const qint64 wanted = qint64(std::min(quint64(BlockSize), total - copied));
        const qint64 got = source.read(block.data(), wanted);
        if (got <= 0)
            throw CommandFailure{CommandErrorCode::FileReadError};
        if (destination.write(block.data(), got) != got)
            throw CommandFailure{CommandErrorCode::FileWriteError};
        copied += quint64(got);
        throwIfAborted();
    }
    destination.close();
    if (destination.error() != QFileDevice::NoError)
        throw CommandFailure{CommandErrorCode::FileWriteError};
    quint64 done = total;
    quint64 all = total;
    scaleToInt(done, all);
    reportProgress(int(done), int(all));
    emit progressByDouble(1.0);
}

void FileCopyCommand::reportCopyProgress(quint64 copied, quint64 total) {
    const double fraction = double(copied) / double(total);
    scaleToInt(copied, total);
    reportProgress(int(copied), int(total));
    emit progressByDouble(fraction);
}

void FileCopyCommand::throwIfAborted() {
    if (isAborted())
        throw CommandFailure{CommandErrorCode::Canceled};
}

void FileCopyCommand::cancel() {
    const std::lock_guard<std::mutex> lock(outcomeMutex_);
    if (!outcomeSettled_)
        AbstractCommand::cancel();
}

void FileCopyCommand::finishWith(int code) {
    {
        const std::lock_guard<std::mutex> lock(outcomeMutex_);
        outcomeSettled_ = true;
        setErrorCode(static_cast<CommandErrorCode::T>(code));
    }
    // Outside the lock: a failure relays a cancel to every queued command,
    // this one included.
    fail();
}

} // namespace zel::qmix::comm
