#include "comm/WaveFileCopyToSdCommand.h"

#include "audio/ConversionError.h"
#include "audio/FileBackedStore.h"
#include "audio/SamplingFormatConverter.h"
#include "audio/WaveConverter.h"
#include "audio/WaveFormatInfo.h"
#include "audio/WaveHeader.h"
#include "comm/CommandFailure.h"
#include "file/CardAudioControlFile.h"
#include "file/CardFileProtection.h"
#include "file/FreeSpace.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUuid>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace zel::qmix::comm {

using audio::WaveConverter;
using audio::WaveFormatInfo;
using file::CardAudioControlFile;

namespace {

const WaveFileCopyToSdCommand::PhaseSpan* importSpans() {
    static const WaveFileCopyToSdCommand::PhaseSpan spans[] = {
        {WaveFileCopyToSdCommand::CopyPhase, 0, 10},
        {WaveFileCopyToSdCommand::StereoPhase, 10, 10},
        {WaveFileCopyToSdCommand::BitDepthPhase, 20, 15},
        {WaveFileCopyToSdCommand::SamplingRatePhase, 35, 50},
        {WaveFileCopyToSdCommand::DeliverPhase, 85, 15},
    };
    return spans;
}
constexpr int kImportSpanCount = 5;

constexpr int kKeyboardBits = 16;
constexpr int kKeyboardFrameBytes = 4;
const char* const kCardFileExtension = "WV7";
const char* const kCardFilePrefix = "_";
constexpr int kCardFileIdLength = 7;

// The command error of a conversion result; 0 where the chain goes on.
int errorForConversion(int result) {
    switch (result) {
    case WaveConverter::Converted:
    case WaveConverter::NothingToDo:
        return CommandErrorCode::NoError;
    case WaveConverter::Canceled:
        return CommandErrorCode::Canceled;
    case WaveConverter::InputMalformed:
    case WaveConverter::Unsupported:
        return CommandErrorCode::FileFormatError;
    case WaveConverter::InputUnreadable:
        return CommandErrorCode::FileReadError;
    case WaveConverter::OutputUnwritable:
        return CommandErrorCode::FileWriteError;
    default:
        return FileCopyCommand::UnexpectedFailure;
    }
}

// The command error of a control-file load or save result.
int errorForControlFile(int fileResult) {
    switch (fileResult) {
    case file::FileCannotRead:
        return CommandErrorCode::FileReadError;
    case file::FileCannotWrite:
        return CommandErrorCode::FileWriteError;
    case file::FileFormatError:
        return CommandErrorCode::FileFormatError;
    default:
        return FileCopyCommand::UnexpectedFailure;
    }
}

// A file name from the control file names a file of the audio folder itself,
// never one elsewhere: the control file comes from the card, not from us.
bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace

WaveFileCopyToSdCommand::WaveFileCopyToSdCommand(const QString& sourcePath,
                                                 const QDir& cardAudioFolder, int replacePosition,
                                                 qint64 byteLimit, QObject* parent)
    : FileCopyCommand(sourcePath, cardAudioFolder, QString(), QString(), byteLimit, parent)
    , cardAudioFolder_(cardAudioFolder)
    , replacePosition_(replacePosition)
    , givenSourcePath_(sourcePath)
    , workingPath_(sourcePath)
    , converter_(new audio::WaveConverter(this)) {
    // Named like the audio layer's own temporary files, so that leftovers of
    // either are recognised alike.
    const QString pattern = QDir::tempPath() + QLatin1Char('/') +
                            QLatin1String(audio::FileBackedStore::kTemporaryPrefix) +
                            QLatin1String("XXXXXX");
    for (QTemporaryFile*& temporary : temporaries_)
        temporary = new QTemporaryFile(pattern, this);
    // Both report on the converting thread and must be relayed at once.
    connect(converter_, &audio::WaveConverter::progress, this,
            &WaveFileCopyToSdCommand::relayConvertProgressInfo, Qt::DirectConnection);
    connect(this, &FileCopyCommand::progressByDouble, this,
            &WaveFileCopyToSdCommand::relayConvertProgressInfo, Qt::DirectConnection);
}

WaveFileCopyToSdCommand::~WaveFileCopyToSdCommand() = default;

void WaveFileCopyToSdCommand::cancel() {
    FileCopyCommand::cancel();
    if (isCanceled())
        converter_->cancel();
}

void WaveFileCopyToSdCommand::relayConvertProgressInfo(double current) {
    relayProgress(current, importSpans(), kImportSpanCount,
                  "ineffective phase: WaveFileCopyToSdCommand::relayConvertProgressInfo");
}

void WaveFileCopyToSdCommand::relayProgress(double current, const PhaseSpan* spans, int count,
                                            const char* ineffectiveMessage) {
    const int running = phase();
    const PhaseSpan* end = spans + count;
    const PhaseSpan* found = std::find_if(
        spans, end, [running](const PhaseSpan& span) { return span.phase == running; });
    if (found == end) {
        qDebug("%s", ineffectiveMessage);
        return;
    }
    const int percent = int(std::trunc(found->base + found->span * current));
    // The steps report far more often than the percentage moves; the
    // receivers only need to hear of each new value.
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    emit progress2(percent, 100);
}

void WaveFileCopyToSdCommand::proceed() {
    int code = CommandErrorCode::NoError;
    try {
        runSteps();
    } catch (const CommandFailure& failure) {
        code = failure.code;
    } catch (const audio::ConversionError& failure) {
        code = failure.code;
    } catch (...) {
        code = UnexpectedFailure;
    }
    if (code != CommandErrorCode::NoError)
        removeWrittenFile(destinationPath());
    removeTemporaries();
    finishWith(code);
}

void WaveFileCopyToSdCommand::runSteps() {
    checkSourceReadable();
    checkTargetWritable();
    if (usesCardDirectory())
        checkControlFileRoom();
    const WaveFormatInfo source = readHeaderOrThrow(givenSourcePath_);
    if (!audio::isWithinDurationLimit(source))
        throw CommandFailure{CommandErrorCode::FileFormatError};
    checkRoom(source);

    convert();
    const WaveFormatInfo converted = readHeaderOrThrow(workingPath_);
    if (!audio::isKeyboardWaveFormat(converted))
        throw CommandFailure{CommandErrorCode::FileFormatError};

    setPhase(DeliverPhase);
    deliver();
    registerOnCard();
}

void WaveFileCopyToSdCommand::checkSourceReadable() const {
    QFile source(givenSourcePath_);
    if (!source.open(QIODevice::ReadOnly))
        throw CommandFailure{CommandErrorCode::FileReadError};
}

void WaveFileCopyToSdCommand::checkTargetWritable() const {
    // Better found out before minutes of conversion than after.
    QTemporaryFile probe(targetDirectory().filePath(QStringLiteral("qt_temp.XXXXXX")));
    if (!probe.open())
        throw CommandFailure{CommandErrorCode::FileWriteError};
}

void WaveFileCopyToSdCommand::checkControlFileRoom() const {
    CardAudioControlFile control;
    loadControlFileOrThrow(control, controlFilePath());
    // Replacing an entry adds none, so a full list takes it.
    const bool replaces = control.listIndexOfPlayOnly(replacePosition_) >= 0;
    if (control.count() >= CardAudioControlFile::kMaxEntries && !replaces)
        throw CommandFailure{CommandErrorCode::FileWriteError};
}

qint64 WaveFileCopyToSdCommand::keyboardFramesFor(const WaveFormatInfo& info) {
    const qint64 frames = info.dataSize / info.blockAlign;
    if (info.sampleRate == quint32(audio::kKeyboardSampleRate))
        return frames;
    // The rate conversion makes at most one frame more than the exact count.
    return qint64(std::ceil(double(frames) * audio::kKeyboardSampleRate / info.sampleRate)) + 1;
}

void WaveFileCopyToSdCommand::checkRoom(const WaveFormatInfo& source) const {
    // What arrives at the target is in the keyboard's format, so a file at a
    // lower rate grows on the way.
    const qint64 delivered =
        keyboardFramesFor(source) * kKeyboardFrameBytes + audio::kWaveHeaderSize;
    if (!file::FreeSpace::isEnough(targetDirectory().absolutePath(), delivered))
        throw CommandFailure{CommandErrorCode::FileWriteError};
    if (!file::FreeSpace::isEnough(QDir::tempPath(), temporaryBytesNeeded(source)))
        throw CommandFailure{CommandErrorCode::FileWriteError};
}

qint64 WaveFileCopyToSdCommand::temporaryBytesNeeded(const WaveFormatInfo& source) const {
    const qint64 frames = source.dataSize / source.blockAlign;
    const qint64 width = audio::bytesPerSample(source.bitsPerSample);
    // Each step holds its input and its output at once; earlier files are
    // gone by then.
    qint64 current = audio::kWaveHeaderSize + qint64(source.dataSize);
    qint64 peak = current;
    const auto step = [&](qint64 produced, qint64 working) {
        peak = std::max(peak, current + produced + working);
        current = produced;
    };
    if (source.channels != 2)
        step(audio::kWaveHeaderSize + frames * 2 * width, 0);
    if (source.bitsPerSample != kKeyboardBits)
        step(audio::kWaveHeaderSize + frames * kKeyboardFrameBytes, 0);
    if (source.sampleRate != quint32(audio::kKeyboardSampleRate))
        step(audio::kWaveHeaderSize + keyboardFramesFor(source) * kKeyboardFrameBytes,
             audio::SamplingFormatConverter::temporaryBytesNeeded(frames, source.sampleRate,
                                                                  audio::kKeyboardSampleRate));
    return peak;
}

void WaveFileCopyToSdCommand::convert() {
    const WaveFormatInfo source = readHeaderOrThrow(givenSourcePath_);
    setPhase(CopyPhase);
    copyAudioIntoFirstTemporary(audio::makeWaveHeader(source), source.dataOffset, source.dataSize);
    runConversion(StereoPhase, 1, [this](const QString& in, const QString& out) {
        return converter_->convertToStereo(in, out);
    });
    runConversion(BitDepthPhase, 2, [this](const QString& in, const QString& out) {
        return converter_->convertBitDepth(in, out, kKeyboardBits);
    });
    runConversion(SamplingRatePhase, 3, [this](const QString& in, const QString& out) {
        return converter_->convertSamplingRate(in, out, audio::kKeyboardSampleRate);
    });
    setPhase(ConvertedPhase);
}

void WaveFileCopyToSdCommand::copyAudioIntoFirstTemporary(const QByteArray& header, qint64 offset,
                                                          qint64 count) {
    QTemporaryFile& temporary = *temporaries_[0];
    if (!temporary.open())
        throw CommandFailure{CommandErrorCode::FileWriteError};
    QFile source(givenSourcePath_);
    if (!source.open(QIODevice::ReadOnly))
        throw CommandFailure{CommandErrorCode::FileReadError};
    if (temporary.write(header) != header.size())
        throw CommandFailure{CommandErrorCode::FileWriteError};
    if (!source.seek(offset))
        throw CommandFailure{CommandErrorCode::FileReadError};

    // Exactly the data chunk: chunks that follow it in the source are no
    // audio and must not end up behind the data on the card.
    std::vector<char> block(static_cast<size_t>(AudioBlockSize));
    qint64 copied = 0;
    while (copied < count) {
        const qint64 wanted = std::min(AudioBlockSize, count - copied);
        const qint64 got = source.read(block.data(), wanted);
        if (got <= 0)
            throw CommandFailure{CommandErrorCode::FileReadError};
        if (temporary.write(block.data(), got) != got)
            throw CommandFailure{CommandErrorCode::FileWriteError};
        copied += got;
        if (got == AudioBlockSize) {
            emit progressByDouble(double(copied) / double(count));
            throwIfAborted();
        }
    }
    if (!temporary.flush())
        throw CommandFailure{CommandErrorCode::FileWriteError};
    temporary.close();
    emit progressByDouble(1.0);
    workingPath_ = temporary.fileName();
}

QString WaveFileCopyToSdCommand::prepareTemporary(int index) {
    QTemporaryFile& temporary = *temporaries_[size_t(index)];
    if (!temporary.open())
        throw CommandFailure{CommandErrorCode::FileWriteError};
    temporary.close();
    return temporary.fileName();
}

void WaveFileCopyToSdCommand::adoptTemporary(int index) {
    workingPath_ = temporaries_[size_t(index)]->fileName();
    for (int i = 0; i < index; ++i) {
        if (!temporaries_[size_t(i)]->fileName().isEmpty())
            temporaries_[size_t(i)]->remove();
    }
}

void WaveFileCopyToSdCommand::runConversion(
    int phase, int index, const std::function<int(const QString&, const QString&)>& conversion) {
    throwIfAborted();
    setPhase(phase);
    const QString output = prepareTemporary(index);
    const int result = conversion(workingPath_, output);
    if (const int error = errorForConversion(result); error != CommandErrorCode::NoError)
        throw CommandFailure{error};
    if (result == WaveConverter::Converted)
        adoptTemporary(index);
    else
        temporaries_[size_t(index)]->remove();
}

void WaveFileCopyToSdCommand::removeTemporaries() {
    for (QTemporaryFile* temporary : temporaries_) {
        if (!temporary->fileName().isEmpty())
            temporary->remove();
    }
}

void WaveFileCopyToSdCommand::deliver() {
    const QDir folder = targetDirectory();
    QString name;
    QString path;
    for (;;) {
        name =
            QLatin1String(kCardFilePrefix) +
            QUuid::createUuid().toString(QUuid::WithoutBraces).left(kCardFileIdLength).toUpper() +
            QLatin1Char('.') + QLatin1String(kCardFileExtension);
        path = folder.filePath(name);
        if (QFileInfo::exists(path))
            continue;
        QFile claimed(path);
        if (claimed.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (!QFileInfo::exists(path))
            throw CommandFailure{CommandErrorCode::FileWriteError};
    }
    cardFileName_ = name;
    setDestinationPath(path);
    if (const int code = copy(workingPath_, path, byteLimit()); code != CommandErrorCode::NoError)
        throw CommandFailure{code};
    file::CardFileProtection::protect(path);
}

void WaveFileCopyToSdCommand::registerOnCard() {
    CardAudioControlFile control;
    loadControlFileOrThrow(control, controlFilePath());
    const WaveFormatInfo delivered = readHeaderOrThrow(destinationPath());

    file::CardAudioEntry entry;
    const QFileInfo cardFile(cardFileName_);
    entry.baseName = cardFile.completeBaseName();
    entry.extension = cardFile.suffix();
    entry.kind = audio::waveRateClass(delivered);
    entry.dataSize = qint32(delivered.dataSize);
    entry.seconds = qint32(audio::wholeSeconds(delivered));
    entry.dataName = control.uniqueDataName(dataNameFor(givenSourcePath_));

    QString replacedFile;
    if (const auto old = control.findPlayOnlyByPosition(replacePosition_)) {
        replacedFile = old->fileName();
        control.replaceAtPosition(replacePosition_, entry);
    } else {
        if (control.count() >= CardAudioControlFile::kMaxEntries)
            throw CommandFailure{CommandErrorCode::FileWriteError};
        control.append(entry);
    }
    if (const int saved = control.save(controlFilePath()); saved != file::FileOk)
        throw CommandFailure{errorForControlFile(saved)};
    // Only now that the list no longer names it: had the save failed, the
    // card would list a file that is gone.
    if (isPlainFileName(replacedFile) && replacedFile != cardFileName_)
        removeWrittenFile(cardAudioFolder_.filePath(replacedFile));
}

QDir WaveFileCopyToSdCommand::targetDirectory() const {
    return cardAudioFolder_;
}

bool WaveFileCopyToSdCommand::usesCardDirectory() const {
    return true;
}

QString WaveFileCopyToSdCommand::controlFilePath() const {
    return cardAudioFolder_.filePath(QLatin1String(CardAudioControlFile::kFileName));
}

QString WaveFileCopyToSdCommand::dataNameFor(const QString& sourcePath) {
    QString name = QFileInfo(sourcePath).fileName();
    name = name.left(name.indexOf(QLatin1Char('.')));
    for (QChar& character : name) {
        if (character < QLatin1Char(' ') || character > QLatin1Char('~'))
            character = QLatin1Char('_');
    }
    const int width = file::CardAudioEntry::kMaxDataNameLength;
    return name.leftJustified(width, QLatin1Char(' '), true);
}

WaveFormatInfo WaveFileCopyToSdCommand::readHeaderOrThrow(const QString& path) {
    WaveFormatInfo info;
    switch (audio::readWaveHeader(path, info)) {
    case audio::WaveHeaderValid:
        return info;
    case audio::WaveHeaderMalformed:
        throw CommandFailure{CommandErrorCode::FileFormatError};
    default:
        throw CommandFailure{CommandErrorCode::FileReadError};
    }
}

void WaveFileCopyToSdCommand::loadControlFileOrThrow(CardAudioControlFile& control,
                                                     const QString& path) {
    if (const int loaded = control.load(path); loaded != file::FileOk)
        throw CommandFailure{errorForControlFile(loaded)};
}

} // namespace zel::qmix::comm
