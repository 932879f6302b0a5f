#include "cli/WaveConversionCommand.h"

#include "comm/CommandFailure.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace zel::qmix::cli {

WaveConversionCommand::WaveConversionCommand(const QString& input, const QString& output,
                                             QObject* parent)
    : WaveFileCopyToSdCommand(input, QFileInfo(output).absoluteDir(), NoReplace, NoLimit, parent)
    , output_(QFileInfo(output).absoluteFilePath()) {}

void WaveConversionCommand::deliver() {
    // Written beside the output under a name of its own, then renamed over
    // it in one step.
    const QString partial = claimFreePath(
        targetDirectory(), QFileInfo(output_).fileName() + QStringLiteral(".part"), QString());
    if (partial.isEmpty())
        throw comm::CommandFailure{comm::CommandErrorCode::FileWriteError};
    setDestinationPath(partial);
    if (const int code = copy(workingPath(), partial, byteLimit());
        code != comm::CommandErrorCode::NoError)
        throw comm::CommandFailure{code};
    if (std::rename(QFile::encodeName(partial).constData(),
                    QFile::encodeName(output_).constData()) != 0)
        throw comm::CommandFailure{comm::CommandErrorCode::FileWriteError};
    setDestinationPath(output_);
}

void WaveConversionCommand::registerOnCard() {}

QDir WaveConversionCommand::targetDirectory() const {
    return QFileInfo(output_).absoluteDir();
}

bool WaveConversionCommand::usesCardDirectory() const {
    return false;
}

} // namespace zel::qmix::cli
