// Converts a long 48 kHz 16-bit stereo WAV file to 44100 Hz, as an import to
// the card does, and the same file with sox in the same run; prints both wall
// times and the peak resident memory of our conversion, then that peak for a
// file six times as long. Each conversion runs in a child process of its own,
// so that its peak memory is its own.
//
//   bench_audio_conversion [--minutes M] [--long-minutes L] [--keep-going]
//   (--long-minutes 0 skips the long file)
#include "ChildProcess.h"
#include "LongWaveFile.h"

#include "audio/ConversionError.h"
#include "audio/SamplingFormatConverter.h"
#include "audio/WaveConverter.h"
#include "audio/WaveHeader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace zel::qmix;

namespace {

constexpr int kTargetRate = 44100;
constexpr double kTimeFactorTarget = 3.0;
constexpr double kPeakMemoryTargetMb = 64.0;

using ChildRun = ChildProcess::Run;

int convertInThisProcess(const QString& input, const QString& output, int rate) {
    audio::SamplingFormatConverter::setTraceEnabled(false);
    audio::WaveConverter converter;
    try {
        return converter.convertSamplingRate(input, output, rate);
    } catch (const audio::ConversionError& error) {
        std::fprintf(stderr, "conversion stopped with error %d\n", error.code);
        return 100 + error.code;
    }
}

ChildRun runOurs(const QString& input, const QString& output) {
    return ChildProcess::run(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--convert"), input, output, QString::number(kTargetRate)});
}

const char* verdict(bool met) {
    return met ? "met" : "NOT MET";
}

int optionValue(const QStringList& arguments, const QString& name, int fallback) {
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

bool compareWithSox(const QDir& work, int minutes) {
    const QString input = work.filePath(QStringLiteral("in.wav"));
    if (!LongWaveFile::write(input, minutes)) {
        std::fprintf(stderr, "cannot write the test file\n");
        return false;
    }
    std::printf("%d-minute 48 kHz 16-bit stereo file -> %d Hz\n", minutes, kTargetRate);
    std::fflush(stdout);
    const ChildRun ours = runOurs(input, work.filePath(QStringLiteral("ours.wav")));
    QFile::remove(work.filePath(QStringLiteral("ours.wav")));
    const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
    ChildRun theirs;
    if (!sox.isEmpty())
        theirs = ChildProcess::run(sox, {input, QStringLiteral("-r"), QString::number(kTargetRate),
                                         work.filePath(QStringLiteral("sox.wav"))});
    QFile::remove(work.filePath(QStringLiteral("sox.wav")));
    QFile::remove(input);
    if (!ours.ok)
        return false;
    std::printf("  ours: %7.2f s wall, peak RSS %.1f MB\n", ours.seconds, ours.peakMb);
    if (!theirs.ok) {
        std::printf("  sox:  not available\n");
    } else {
        const double factor = ours.seconds / theirs.seconds;
        std::printf("  sox:  %7.2f s wall\n", theirs.seconds);
        std::printf("  time: %.2f x sox (target <= %.0f x): %s\n", factor, kTimeFactorTarget,
                    verdict(factor <= kTimeFactorTarget));
    }
    std::printf("  peak RSS target <= %.0f MB: %s\n", kPeakMemoryTargetMb,
                verdict(ours.peakMb <= kPeakMemoryTargetMb));
    return true;
}

bool measureLongFile(const QDir& work, int minutes) {
    const QString input = work.filePath(QStringLiteral("long.wav"));
    std::printf("%d-minute file -> %d Hz\n", minutes, kTargetRate);
    std::fflush(stdout);
    if (!LongWaveFile::write(input, minutes)) {
        std::fprintf(stderr, "cannot write the long test file\n");
        return false;
    }
    const ChildRun ours = runOurs(input, work.filePath(QStringLiteral("long-out.wav")));
    QFile::remove(work.filePath(QStringLiteral("long-out.wav")));
    QFile::remove(input);
    if (!ours.ok)
        return false;
    std::printf("  ours: %7.2f s wall, peak RSS %.1f MB\n", ours.seconds, ours.peakMb);
    std::printf("  peak RSS target <= %.0f MB: %s\n", kPeakMemoryTargetMb,
                verdict(ours.peakMb <= kPeakMemoryTargetMb));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 5 && arguments.at(1) == QLatin1String("--convert"))
        return convertInThisProcess(arguments.at(2), arguments.at(3), arguments.at(4).toInt());

    const int minutes = optionValue(arguments, QStringLiteral("--minutes"), 10);
    const int longMinutes = optionValue(arguments, QStringLiteral("--long-minutes"), 60);
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/bench-audio-XXXXXX"));
    if (!work.isValid()) {
        std::fprintf(stderr, "cannot make a work folder in %s\n", qPrintable(QDir::tempPath()));
        return 1;
    }
    std::printf("temporary folder: %s (%.1f GB free)\n", qPrintable(QDir::tempPath()),
                double(QStorageInfo(QDir::tempPath()).bytesAvailable()) / 1e9);
    const QDir folder(work.path());
    if (!compareWithSox(folder, minutes))
        return 1;
    if (longMinutes > 0 && !measureLongFile(folder, longMinutes))
        return 1;
    return 0;
}
