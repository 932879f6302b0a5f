// Converts a long 48 kHz 16-bit stereo WAV file to 44100 Hz, as an import to
// the card does, and the same file with sox in the same run; prints both wall
// times and the peak resident memory of our conversion, then that peak for a
// file six times as long. Each conversion runs in a child process of its own,
// so that its peak memory is its own.
//
//   bench_audio_conversion [--minutes M] [--long-minutes L] [--keep-going]
//   (--long-minutes 0 skips the long file)
#include "audio/ConversionError.h"
#include "audio/SamplingFormatConverter.h"
#include "audio/WaveConverter.h"
#include "audio/WaveHeader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace zel::qmix;

namespace {

constexpr int kInputRate = 48000;
constexpr int kTargetRate = 44100;
constexpr double kTimeFactorTarget = 3.0;
constexpr double kPeakMemoryTargetMb = 64.0;

struct ChildRun {
    bool ok = false;
    double seconds = 0.0;
    double peakMb = 0.0;
};

// A deterministic signal with the spectrum of music rather than of a test
// tone: a few drifting partials and some noise, in both channels.
bool writeTestFile(const QString& path, int minutes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const qint64 frames = qint64(minutes) * 60 * kInputRate;
    const QByteArray header = audio::makeWaveHeader(quint32(frames * 4), kInputRate, 16, 2);
    if (file.write(header) != header.size())
        return false;
    constexpr int kBlockFrames = 65536;
    std::vector<qint16> block(2 * kBlockFrames);
    quint32 noise = 12345;
    for (qint64 first = 0; first < frames; first += kBlockFrames) {
        const int count = int(std::min<qint64>(kBlockFrames, frames - first));
        for (int i = 0; i < count; ++i) {
            const double t = double(first + i) / kInputRate;
            noise = noise * 1664525u + 1013904223u;
            const double hiss = (double(noise >> 16) - 32768.0) * 0.02;
            const double left = 9000.0 * std::sin(2 * M_PI * 220.0 * t) +
                                5000.0 * std::sin(2 * M_PI * (3000.0 + 50.0 * std::sin(t)) * t);
            const double right =
                8000.0 * std::sin(2 * M_PI * 330.0 * t) + 6000.0 * std::sin(2 * M_PI * 12000.0 * t);
            block[2 * i] = qToLittleEndian(qint16(left + hiss));
            block[2 * i + 1] = qToLittleEndian(qint16(right - hiss));
        }
        const qint64 bytes = qint64(count) * 4;
        if (file.write(reinterpret_cast<const char*>(block.data()), bytes) != bytes)
            return false;
    }
    return true;
}

ChildRun runChild(const QString& program, const QStringList& arguments) {
    QList<QByteArray> storage;
    storage.append(program.toLocal8Bit());
    for (const QString& argument : arguments)
        storage.append(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The converter's phase trace is of no interest here.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer clock;
    clock.start();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ChildRun run;
    if (spawned != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        return run;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return run;
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.ok)
        std::fprintf(stderr, "%s failed (status %d)\n", argv[0], status);
    return run;
}

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
    return runChild(QCoreApplication::applicationFilePath(),
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
    if (!writeTestFile(input, minutes)) {
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
        theirs = runChild(sox, {input, QStringLiteral("-r"), QString::number(kTargetRate),
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
    if (!writeTestFile(input, minutes)) {
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
