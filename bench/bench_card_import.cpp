// Importing a long WAV file to the SD card by a drop on the Audio tab's
// play-only list, next to the command line's "card import" of the same file:
//  - wall time of the window's import against the command line's
//    (target: window <= 1.1 x command line);
//  - the longest time the GUI thread stays away from its event loop during
//    the import (target 50 ms), by a 1 ms heartbeat;
//  - the window's peak resident memory for a 10-minute and a 60-minute file
//    (target: within 5 MB of each other).
// Each import runs in a child process of its own, so that its peak memory is
// its own.
//
//   bench_card_import [--minutes M] [--long-minutes L]   (L = 0 skips the long file)
#include "BenchEvents.h"
#include "ChildProcess.h"
#include "GuiStallMeter.h"
#include "LongWaveFile.h"

#include "app/CommandProgressIndicator.h"
#include "app/MainWindow.h"
#include "app/MessageDialog.h"
#include "etc/Settings.h"
#include "file/CardAudioControlFile.h"
#include "tests/support/ViewDrop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>

using namespace zel::qmix;

namespace {

constexpr int ImportTimeoutMs = 30 * 60 * 1000;
constexpr double TimeFactorTarget = 1.1;
constexpr double MemoryGrowthTargetMb = 5.0;
// Starts the child's line of figures among whatever else it prints.
const char* const FiguresMarker = "figures:";

QString controlFilePath(const QString& card) {
    return QDir(card).filePath(
        QStringLiteral("%1/%2").arg(QLatin1String(file::CardAudioControlFile::kFolderName),
                                    QLatin1String(file::CardAudioControlFile::kFileName)));
}

// An empty card: the audio folder with a control file that lists nothing.
bool makeCard(const QString& card) {
    if (!QDir(card).mkpath(QLatin1String(file::CardAudioControlFile::kFolderName)))
        return false;
    return file::CardAudioControlFile().save(controlFilePath(card)) == 0;
}

int cardEntries(const QString& card) {
    file::CardAudioControlFile control;
    return control.load(controlFilePath(card)) == 0 ? control.count() : -1;
}

// The child: a window on the card, the file dropped on the play-only list.
// Prints the wall time and the longest stall in milliseconds.
int importInWindow(const QString& wave, const QString& card) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    etc::Settings::instance()->setSdCardDirectory(card);
    etc::Settings::instance()->save();
    gui::MessageDialog::create();
    BenchEvents::closeUnexpectedBoxes("bench_card_import");
    gui::MainWindow window;
    window.show();
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabWidgetMain"));
    tabs->setCurrentWidget(window.findChild<QWidget*>(QStringLiteral("tabAudio")));
    auto* playOnly =
        window.findChild<QAbstractItemView*>(QStringLiteral("cardAudioPlayOnlyTreeView"));
    auto* indicator = window.findChild<gui::CommandProgressIndicator*>(
        QStringLiteral("commandProgressIndicator"));
    if (!BenchEvents::waitFor([&] { return playOnly->isEnabled(); }, 5000)) {
        std::fprintf(stderr, "bench_card_import: the card list did not load\n");
        return 1;
    }
    QMimeData drag;
    drag.setUrls({QUrl::fromLocalFile(wave)});
    GuiStallMeter stalls;
    QElapsedTimer wall;
    stalls.start();
    wall.start();
    const bool dropped = testsupport::ViewDrop::dragAndDrop(playOnly->viewport(), &drag);
    stalls.noteNow();
    const bool imported =
        dropped && BenchEvents::waitFor([&] { return cardEntries(card) == 1; }, ImportTimeoutMs);
    const qint64 elapsed = wall.elapsed();
    BenchEvents::waitFor([&] { return !indicator->isVisible(); }, 10000);
    stalls.stop();
    if (!imported) {
        std::fprintf(stderr, "bench_card_import: the window did not import the file\n");
        return 1;
    }
    std::printf("%s %lld %lld\n", FiguresMarker, elapsed, stalls.longestMs());
    return 0;
}

struct WindowRun {
    ChildProcess::Run process;
    qint64 wallMs = -1;
    qint64 stallMs = -1;
};

WindowRun runWindowImport(const QDir& work, const QString& wave, const QString& cardName) {
    WindowRun run;
    const QString card = work.filePath(cardName);
    const QString output = work.filePath(cardName + QStringLiteral(".out"));
    if (!makeCard(card))
        return run;
    run.process = ChildProcess::run(QCoreApplication::applicationFilePath(),
                                    {QStringLiteral("--window-import"), wave, card}, output);
    QFile figures(output);
    if (run.process.ok && figures.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : figures.readAll().split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            if (words.size() == 3 && words.first() == FiguresMarker) {
                run.wallMs = words.at(1).toLongLong();
                run.stallMs = words.at(2).toLongLong();
            }
        }
    }
    QDir(card).removeRecursively();
    return run;
}

double commandLineImportSeconds(const QDir& work, const QString& wave) {
    const QString card = work.filePath(QStringLiteral("cli-card"));
    if (!makeCard(card))
        return -1;
    const ChildProcess::Run run =
        ChildProcess::run(QStringLiteral(TH_CLI_PATH),
                          {QStringLiteral("card"), QStringLiteral("import"), card, wave});
    const bool imported = run.ok && cardEntries(card) == 1;
    QDir(card).removeRecursively();
    return imported ? run.seconds : -1;
}

int optionValue(const QStringList& arguments, const QString& name, int fallback) {
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toInt() : fallback;
}

int measure(int minutes, int longMinutes) {
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/bench-card-XXXXXX"));
    const QDir folder(work.path());
    const QString wave = folder.filePath(QStringLiteral("Song.wav"));
    if (!LongWaveFile::write(wave, minutes)) {
        std::fprintf(stderr, "bench_card_import: cannot write the test file\n");
        return 1;
    }
    std::printf("%d-minute 48 kHz 16-bit stereo file\n", minutes);
    const WindowRun window = runWindowImport(folder, wave, QStringLiteral("window-card"));
    const double cli = commandLineImportSeconds(folder, wave);
    QFile::remove(wave);
    if (window.wallMs < 0 || cli < 0) {
        std::fprintf(stderr, "bench_card_import: an import failed\n");
        return 1;
    }
    const double factor = double(window.wallMs) / 1000.0 / cli;
    std::printf("window_import_s %.2f\n", double(window.wallMs) / 1000.0);
    std::printf("cli_import_s %.2f\n", cli);
    std::printf("window_to_cli_ratio %.3f (target <= %.2f)\n", factor, TimeFactorTarget);
    std::printf("longest_gui_stall_during_import_ms %lld (target <= 50)\n", window.stallMs);
    std::printf("window_peak_rss_mb %.1f (%d minutes)\n", window.process.peakMb, minutes);
    if (longMinutes <= 0)
        return 0;

    const QString longWave = folder.filePath(QStringLiteral("Long.wav"));
    if (!LongWaveFile::write(longWave, longMinutes)) {
        std::fprintf(stderr, "bench_card_import: cannot write the long test file\n");
        return 1;
    }
    const WindowRun longRun = runWindowImport(folder, longWave, QStringLiteral("long-card"));
    QFile::remove(longWave);
    if (longRun.wallMs < 0)
        return 1;
    std::printf("window_peak_rss_mb %.1f (%d minutes)\n", longRun.process.peakMb, longMinutes);
    std::printf("peak_rss_growth_mb %.1f (target <= %.0f)\n",
                longRun.process.peakMb - window.process.peakMb, MemoryGrowthTargetMb);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window looks for a keyboard; none is wanted, and no sound server started.
    qputenv("JACK_DEFAULT_SERVER", "toneharbour-bench-no-server");
    qputenv("JACK_NO_START_SERVER", "1");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("--window-import"))
        return importInWindow(arguments.at(2), arguments.at(3));
    return measure(optionValue(arguments, QStringLiteral("--minutes"), 10),
                   optionValue(arguments, QStringLiteral("--long-minutes"), 60));
}
