#pragma once

#include <QMetaType>
#include <QString>

namespace zel::qmix::comm {

// How a file copy, import or export ended. The destination is the file that
// was chosen for the copy; after a failure it no longer exists.
struct FileCopyCommandResult {
    // A CommandErrorCode value, or FileCopyCommand::UnexpectedFailure.
    int errorCode = 0;
    QString sourcePath;
    QString destinationPath;

    friend bool operator==(const FileCopyCommandResult& a, const FileCopyCommandResult& b) {
        return a.errorCode == b.errorCode && a.sourcePath == b.sourcePath &&
               a.destinationPath == b.destinationPath;
    }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::FileCopyCommandResult)
