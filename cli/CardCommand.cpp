#include "cli/CardCommand.h"

#include "audio/WaveFormatInfo.h"
#include "audio/WaveHeader.h"
#include "cli/ArgumentList.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "comm/CommandErrorCode.h"
#include "comm/RecordedAudioExportCommand.h"
#include "comm/WaveFileCopyToSdCommand.h"
#include "etc/Settings.h"
#include "file/CardAudioControlFile.h"
#include "file/CardFileProtection.h"

#include <QFile>
#include <QFileInfo>

namespace zel::qmix::cli {

using file::CardAudioControlFile;
using file::CardAudioEntry;

namespace {

QString kindText(const CardAudioEntry& entry) {
    switch (entry.kind) {
    case CardAudioEntry::Recordable:
        return QStringLiteral("rec");
    case CardAudioEntry::PlayOnly42819:
        return QStringLiteral("play-42819");
    default:
        return QStringLiteral("play-44100");
    }
}

QString withoutTrailingSpace(QString text) {
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

// The control file comes from the card: a name in it must name a file of
// the audio folder, never one elsewhere.
bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace

QString CardCommand::name() const {
    return QStringLiteral("card");
}

QList<CliCommand::UsageLine> CardCommand::usage() const {
    return {{QStringLiteral("card list DIR"),
             QStringLiteral("One line per entry of the SD card at DIR (the folder holding "
                            "MUSICDAT): position, kind (rec, play-42819, play-44100), data "
                            "name, size in bytes, seconds; tab-separated")},
            {QStringLiteral("card import DIR WAV... [--replace N]"),
             QStringLiteral("Convert each WAV to the keyboard's format, copy it to the card and "
                            "list it as a play-only file (in place of play-only entry N with "
                            "--replace); prints each card file written")},
            {QStringLiteral("card export DIR N OUTDIR"),
             QStringLiteral("Export recordable entry N to OUTDIR as DATANAME.WAV at 44100 Hz "
                            "with its level raised; prints the file written")},
            {QStringLiteral("card delete DIR N"),
             QStringLiteral("Delete play-only entry N: its audio file and its line in the list")}};
}

int CardCommand::runAudio(const QStringList& arguments) {
    const QString sub = arguments.value(0);
    if (sub == QLatin1String("list"))
        return list(arguments.mid(1));
    if (sub == QLatin1String("import"))
        return importFiles(arguments.mid(1));
    if (sub == QLatin1String("export"))
        return exportEntry(arguments.mid(1));
    if (sub == QLatin1String("delete"))
        return deleteEntry(arguments.mid(1));
    return usageError(sub.isEmpty() ? QStringLiteral("missing subcommand")
                                    : QStringLiteral("unknown subcommand \"%1\"").arg(sub));
}

QDir CardCommand::audioFolder(const QString& root) {
    return QDir(QDir(QFileInfo(root).absoluteFilePath())
                    .filePath(QLatin1String(CardAudioControlFile::kFolderName)));
}

QString CardCommand::controlFilePath(const QString& root) {
    return audioFolder(root).filePath(QLatin1String(CardAudioControlFile::kFileName));
}

int CardCommand::parsePosition(const QString& text) {
    bool ok = false;
    const int position = text.toInt(&ok);
    return ok && position >= 1 ? position : 0;
}

int CardCommand::loadControlFile(const QString& root, CardAudioControlFile& control) const {
    const QString path = controlFilePath(root);
    const int loaded = control.load(path);
    return loaded == file::FileOk ? ExitStatus::Success : reportFileError(loaded, path);
}

int CardCommand::list(const QStringList& arguments) const {
    if (arguments.size() != 1)
        return usageError(QStringLiteral("\"card list\" takes one DIR"));
    CardAudioControlFile control;
    if (const int status = loadControlFile(arguments.first(), control); status != 0)
        return status;
    int recordable = 0;
    int playOnly = 0;
    for (const CardAudioEntry& entry : control.entries()) {
        const int position = entry.isRecordable() ? ++recordable : ++playOnly;
        Console::out() << position << '\t' << kindText(entry) << '\t'
                       << withoutTrailingSpace(entry.dataName) << '\t' << entry.dataSize << '\t'
                       << entry.seconds << "\n";
    }
    Console::out().flush();
    return ExitStatus::Success;
}

int CardCommand::importFiles(const QStringList& arguments) {
    const ArgumentList parsed(arguments, {}, {QStringLiteral("--replace")});
    if (!parsed.error().isEmpty())
        return usageError(parsed.error());
    const QStringList words = parsed.positional();
    if (words.size() < 2)
        return usageError(QStringLiteral("\"card import\" takes a DIR and one WAV or more"));
    const QString root = words.first();
    const QStringList sources = words.mid(1);
    int replace = comm::WaveFileCopyToSdCommand::NoReplace;
    if (parsed.hasValue(QStringLiteral("--replace"))) {
        const int position = parsePosition(parsed.value(QStringLiteral("--replace")));
        if (position == 0)
            return usageError(QStringLiteral("--replace takes a position from 1 on"));
        if (sources.size() != 1)
            return usageError(QStringLiteral("--replace takes one WAV"));
        // Asked to replace, the user does not want an entry added instead.
        CardAudioControlFile control;
        if (control.load(controlFilePath(root)) == file::FileOk &&
            !control.findPlayOnlyByPosition(position - 1))
            return usageError(QStringLiteral("the card has no play-only entry %1").arg(position));
        replace = position - 1;
    }

    int status = ExitStatus::Success;
    for (const QString& source : sources) {
        if (Interrupt::isRequested())
            break;
        const QString fileName = QFileInfo(source).fileName();
        const auto command = QSharedPointer<comm::WaveFileCopyToSdCommand>::create(
            source, audioFolder(root), replace);
        const comm::FileCopyCommandResult result =
            runFileCommand(command, QStringLiteral("Importing \"%1\"").arg(fileName));
        if (result.errorCode != comm::CommandErrorCode::NoError) {
            // The other files still go ahead, as they do when several are
            // dropped on the card's list; the first failure sets the status.
            const int failed = reportCommandError(result.errorCode, fileName);
            if (status == ExitStatus::Success)
                status = failed;
            continue;
        }
        Console::out() << QFileInfo(result.destinationPath).absoluteFilePath() << "\n";
        Console::out().flush();
    }
    return status;
}

int CardCommand::exportEntry(const QStringList& arguments) {
    if (arguments.size() != 3)
        return usageError(QStringLiteral("\"card export\" takes a DIR, a position N and an "
                                         "OUTDIR"));
    const QString root = arguments.at(0);
    const int position = parsePosition(arguments.at(1));
    const QString outFolder = arguments.at(2);
    if (position == 0)
        return usageError(QStringLiteral("N is a position from 1 on"));
    CardAudioControlFile control;
    if (const int status = loadControlFile(root, control); status != 0)
        return status;
    const auto entry = control.findRecordableByPosition(position - 1);
    if (!entry)
        return usageError(QStringLiteral("the card has no recordable entry %1").arg(position));
    if (entry->dataSize == 0)
        return usageError(QStringLiteral("recordable entry %1 holds no recording").arg(position));
    if (!isPlainFileName(entry->fileName()))
        return reportFileError(file::FileFormatError, controlFilePath(root));

    // Checked as the desktop program checks a card file before it exports it.
    const QString cardFile = audioFolder(root).filePath(entry->fileName());
    audio::WaveFormatInfo info;
    const int header = audio::readWaveHeader(cardFile, info);
    if (header == audio::WaveHeaderCannotOpen)
        return reportCommandError(comm::CommandErrorCode::FileReadError, cardFile);
    if (header != audio::WaveHeaderValid || !audio::isKeyboardWaveFormat(info))
        return reportCommandError(comm::CommandErrorCode::FileFormatError, cardFile);

    etc::Settings::ensureDirectory(outFolder);
    const QString dataName = entry->dataName.trimmed();
    const auto command = QSharedPointer<comm::RecordedAudioExportCommand>::create(
        cardFile, entry->dataName, QDir(outFolder), qint64(info.dataEnd) + 1);
    const comm::FileCopyCommandResult result =
        runFileCommand(command, QStringLiteral("Exporting \"%1\"").arg(dataName));
    if (result.errorCode != comm::CommandErrorCode::NoError)
        return reportCommandError(
            result.errorCode,
            result.errorCode == comm::CommandErrorCode::FileWriteError ? outFolder : cardFile);
    Console::out() << QFileInfo(result.destinationPath).absoluteFilePath() << "\n";
    Console::out().flush();
    return ExitStatus::Success;
}

int CardCommand::deleteEntry(const QStringList& arguments) const {
    if (arguments.size() != 2)
        return usageError(QStringLiteral("\"card delete\" takes a DIR and a position N"));
    const QString root = arguments.at(0);
    const int position = parsePosition(arguments.at(1));
    if (position == 0)
        return usageError(QStringLiteral("N is a position from 1 on"));
    CardAudioControlFile control;
    if (const int status = loadControlFile(root, control); status != 0)
        return status;
    const auto entry = control.findPlayOnlyByPosition(position - 1);
    if (!entry)
        return usageError(QStringLiteral("the card has no play-only entry %1").arg(position));

    // As the card's list deletes: the file first, then every play-only entry
    // whose file is gone, and the list is saved even when the file stayed.
    const QDir folder = audioFolder(root);
    bool deleted = false;
    QString audioFile;
    if (isPlainFileName(entry->fileName())) {
        audioFile = folder.filePath(entry->fileName());
        file::CardFileProtection::unprotect(audioFile);
        // A file that is already gone needs no deleting.
        deleted = QFile::remove(audioFile) || !QFileInfo::exists(audioFile);
    }
    control.removePlayOnlyEntriesWithoutFile(folder);
    const int saved = control.save(controlFilePath(root));
    if (!deleted)
        return reportCommandError(comm::CommandErrorCode::FileWriteError,
                                  audioFile.isEmpty() ? entry->fileName() : audioFile);
    return reportFileError(saved, controlFilePath(root));
}

} // namespace zel::qmix::cli
