#include "cli/WavCommand.h"

#include "audio/WaveFormatInfo.h"
#include "audio/WaveHeader.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/WaveConversionCommand.h"
#include "comm/CommandErrorCode.h"
#include "file/AbstractFile.h"

#include <QFileInfo>

namespace zel::qmix::cli {

namespace {

void printField(const QString& label, const QString& value) {
    Console::out() << QStringLiteral("%1 %2\n").arg(label + QLatin1Char(':'), -16).arg(value);
}

QString readerResultText(int result) {
    switch (result) {
    case audio::WaveHeaderValid:
        return QStringLiteral("0 valid");
    case audio::WaveHeaderMalformed:
        return QStringLiteral("1 malformed");
    default:
        return QStringLiteral("2 cannot be opened");
    }
}

// What keeps a file from playing on the card as it is.
QStringList formatDifferences(const audio::WaveFormatInfo& info) {
    QStringList differences;
    if (info.bitsPerSample != 16)
        differences.append(QStringLiteral("%1-bit").arg(info.bitsPerSample));
    if (info.channels != 2)
        differences.append(info.channels == 1 ? QStringLiteral("1 channel")
                                              : QStringLiteral("%1 channels").arg(info.channels));
    if (differences.isEmpty() && info.blockAlign != 4)
        differences.append(QStringLiteral("block align %1").arg(info.blockAlign));
    if (audio::waveRateClass(info) < 0)
        differences.append(QStringLiteral("%1 Hz").arg(info.sampleRate));
    if (!audio::isWithinDurationLimit(info))
        differences.append(QStringLiteral("%1 s or longer").arg(audio::kKeyboardMaxSeconds));
    return differences;
}

} // namespace

QString WavCommand::name() const {
    return QStringLiteral("wav");
}

QList<CliCommand::UsageLine> WavCommand::usage() const {
    return {{QStringLiteral("wav info FILE"),
             QStringLiteral("Show what the WAV reader finds in FILE (its result and format "
                            "fields) and whether the keyboard's card player takes it as it is")},
            {QStringLiteral("wav convert IN OUT"),
             QStringLiteral("Convert IN to the keyboard's format (16-bit, stereo, 44100 Hz) as "
                            "an import to the card would, and write it to OUT")}};
}

int WavCommand::runAudio(const QStringList& arguments) {
    const QString sub = arguments.value(0);
    if (sub == QLatin1String("info"))
        return info(arguments.mid(1));
    if (sub == QLatin1String("convert"))
        return convert(arguments.mid(1));
    return usageError(sub.isEmpty() ? QStringLiteral("missing subcommand")
                                    : QStringLiteral("unknown subcommand \"%1\"").arg(sub));
}

int WavCommand::info(const QStringList& arguments) const {
    if (arguments.size() != 1)
        return usageError(QStringLiteral("\"wav info\" takes one FILE"));
    const QString path = arguments.first();
    audio::WaveFormatInfo info;
    const int result = audio::readWaveHeader(path, info);
    printField(QStringLiteral("File"), QFileInfo(path).absoluteFilePath());
    printField(QStringLiteral("Result"), readerResultText(result));
    if (result != audio::WaveHeaderValid) {
        Console::out().flush();
        return ExitStatus::forFileResult(
            result == audio::WaveHeaderMalformed ? file::FileFormatError : file::FileCannotRead);
    }
    const quint32 frames = info.dataSize / info.blockAlign;
    printField(QStringLiteral("Channels"), QString::number(info.channels));
    printField(QStringLiteral("Sample rate"), QStringLiteral("%1 Hz").arg(info.sampleRate));
    printField(QStringLiteral("Bits per sample"), QString::number(info.bitsPerSample));
    printField(QStringLiteral("Block align"), QString::number(info.blockAlign));
    printField(QStringLiteral("Data size"), QStringLiteral("%1 bytes").arg(info.dataSize));
    printField(QStringLiteral("Data offset"), QString::number(info.dataOffset));
    printField(QStringLiteral("Data end"), QString::number(info.dataEnd));
    printField(QStringLiteral("fmt offset"), QString::number(info.fmtOffset));
    printField(QStringLiteral("Length"),
               QStringLiteral("%1 frames, %2 s").arg(frames).arg(audio::wholeSeconds(info)));
    const QStringList differences = formatDifferences(info);
    printField(QStringLiteral("Keyboard format"),
               audio::isKeyboardWaveFormat(info)
                   ? QStringLiteral("yes")
                   : QStringLiteral("no: %1").arg(differences.join(QStringLiteral(", "))));
    Console::out().flush();
    return ExitStatus::Success;
}

int WavCommand::convert(const QStringList& arguments) {
    if (arguments.size() != 2)
        return usageError(QStringLiteral("\"wav convert\" takes an IN and an OUT file"));
    const QString input = arguments.at(0);
    const QString output = arguments.at(1);
    if (QFileInfo(output).isDir())
        return usageError(QStringLiteral("OUT is a folder: %1").arg(output));

    const QString title = QStringLiteral("Converting \"%1\"").arg(QFileInfo(input).fileName());
    const comm::FileCopyCommandResult result =
        runFileCommand(QSharedPointer<WaveConversionCommand>::create(input, output), title);
    if (result.errorCode != comm::CommandErrorCode::NoError) {
        const bool writing = result.errorCode == comm::CommandErrorCode::FileWriteError;
        return reportCommandError(result.errorCode, writing ? output : input);
    }
    Console::out() << result.destinationPath << "\n";
    Console::out().flush();
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
