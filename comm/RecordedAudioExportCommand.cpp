#include "comm/RecordedAudioExportCommand.h"

#include "audio/SamplingFormatConverter.h"
#include "audio/WaveConverter.h"
#include "audio/WaveFormatInfo.h"
#include "audio/WaveHeader.h"
#include "comm/CommandFailure.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace zel::qmix::comm {

using audio::WaveFormatInfo;

namespace {

const WaveFileCopyToSdCommand::PhaseSpan* exportSpans() {
    static const WaveFileCopyToSdCommand::PhaseSpan spans[] = {
        {WaveFileCopyToSdCommand::CopyPhase, 0, 5},
        {WaveFileCopyToSdCommand::SamplingRatePhase, 5, 70},
        {WaveFileCopyToSdCommand::NormalizePhase, 75, 20},
        {WaveFileCopyToSdCommand::DeliverPhase, 95, 5},
    };
    return spans;
}
constexpr int kExportSpanCount = 4;

const char* const kExportExtension = ".WAV";
// The delivery copy reports once per this many blocks.
constexpr qint64 kDeliverProgressInterval = 4096;

// What the rate conversion takes: interleaved 16-bit stereo frames.
bool isConvertible(const WaveFormatInfo& info) {
    return info.bitsPerSample == 16 && info.channels == 2 && info.blockAlign == 4;
}

// Bytes of the card file the export starts from: its header and audio data,
// within the limit (compared unsigned, so that -1 is none).
qint64 bytesTaken(const WaveFormatInfo& source, qint64 byteLimit) {
    return qint64(std::min(quint64(source.dataEnd) + 1, quint64(byteLimit)));
}

} // namespace

RecordedAudioExportCommand::RecordedAudioExportCommand(const QString& sourcePath,
                                                       const QString& exportName,
                                                       const QDir& exportFolder, qint64 byteLimit,
                                                       QObject* parent)
    : WaveFileCopyToSdCommand(sourcePath, exportFolder, NoReplace, byteLimit, parent)
    , exportName_(exportName)
    , exportFolder_(exportFolder) {}

void RecordedAudioExportCommand::relayConvertProgressInfo(double current) {
    relayProgress(current, exportSpans(), kExportSpanCount,
                  "ineffective phase: RecordedAudioExportCommand::relayConvertProgressInfo");
}

void RecordedAudioExportCommand::convert() {
    setPhase(HeaderPhase);
    const WaveFormatInfo source = readHeaderOrThrow(givenSourcePath());
    // The views only hand over card files in the keyboard's format; anything
    // else would come out of the rate conversion as noise.
    if (!isConvertible(source))
        throw CommandFailure{CommandErrorCode::FileFormatError};

    // The header and the audio data, nothing that follows them.
    setPhase(CopyPhase);
    const QString first = prepareTemporary(0);
    if (const int code = copy(givenSourcePath(), first, bytesTaken(source, byteLimit()));
        code != CommandErrorCode::NoError)
        throw CommandFailure{code};
    setWorkingPath(first);

    runConversion(SamplingRatePhase, 1, [this](const QString& in, const QString& out) {
        return converter()->convertSamplingRate(in, out, audio::kKeyboardSampleRate);
    });
    runConversion(NormalizePhase, 2, [this](const QString& in, const QString& out) {
        return converter()->normalize(in, out);
    });
    setPhase(ConvertedPhase);
}

void RecordedAudioExportCommand::deliver() {
    const QString path = claimFreePath(exportFolder_, exportName_, QLatin1String(kExportExtension));
    if (path.isEmpty())
        throw CommandFailure{CommandErrorCode::FileWriteError};
    setDestinationPath(path);
    copyToDestination(workingPath(), path);
}

void RecordedAudioExportCommand::copyToDestination(const QString& converted,
                                                   const QString& destination) {
    QFile input(converted);
    QFile output(destination);
    try {
        if (!input.open(QIODevice::ReadOnly))
            throw CommandFailure{CommandErrorCode::FileReadError};
        if (!output.open(QIODevice::ReadWrite | QIODevice::Truncate))
            throw CommandFailure{CommandErrorCode::FileWriteError};
        const double size = double(std::max<qint64>(input.size(), 1));
        std::vector<char> block(static_cast<size_t>(AudioBlockSize));
        qint64 copied = 0;
        for (qint64 blocks = 1;; ++blocks) {
            const qint64 got = input.read(block.data(), AudioBlockSize);
            if (got < 0)
                throw CommandFailure{CommandErrorCode::FileReadError};
            if (got > 0 && output.write(block.data(), got) != got)
                throw CommandFailure{CommandErrorCode::FileWriteError};
            copied += got;
            if (blocks % kDeliverProgressInterval == 0)
                emit progressByDouble(double(copied) / size);
            throwIfAborted();
            if (got < AudioBlockSize)
                break;
        }
        // A full disk shows when the last buffered bytes go out.
        if (!output.flush())
            throw CommandFailure{CommandErrorCode::FileWriteError};
        output.close();
        if (output.error() != QFileDevice::NoError)
            throw CommandFailure{CommandErrorCode::FileWriteError};
        emit progressByDouble(1.0);
    } catch (...) {
        input.close();
        output.close();
        removeWrittenFile(destination);
        throw;
    }
}

void RecordedAudioExportCommand::registerOnCard() {}

QDir RecordedAudioExportCommand::targetDirectory() const {
    return exportFolder_;
}

bool RecordedAudioExportCommand::usesCardDirectory() const {
    return false;
}

qint64 RecordedAudioExportCommand::temporaryBytesNeeded(const WaveFormatInfo& source) const {
    qint64 current = bytesTaken(source, byteLimit());
    qint64 peak = current;
    if (source.sampleRate != quint32(audio::kKeyboardSampleRate)) {
        const qint64 produced = audio::kWaveHeaderSize + keyboardFramesFor(source) * 4;
        const qint64 working = audio::SamplingFormatConverter::temporaryBytesNeeded(
            source.dataSize / source.blockAlign, source.sampleRate, audio::kKeyboardSampleRate);
        peak = std::max(peak, current + produced + working);
        current = produced;
    }
    // The level step writes a file as large as its input.
    return std::max(peak, 2 * current);
}

} // namespace zel::qmix::comm
