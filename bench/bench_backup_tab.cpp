// A full backup of a PRV-3200 started from the Backup tab of the window,
// against the virtual keyboard program on a private JACK server (synchronous,
// 64-frame period), next to the same backup run by the command-line program:
//  - wall time of the window's backup against the command line's, from the
//    press of the button (or the start of the process) to the file written
//    (target: window <= 1.05 x command line);
//  - the longest time the GUI thread stays away from its event loop during
//    the window's backup (target 50 ms), by a 1 ms heartbeat.
#include "BenchEvents.h"
#include "GuiStallMeter.h"
#include "JackKeyboardProgram.h"

#include "app/CommandProgressIndicator.h"
#include "app/MainWindow.h"
#include "app/MessageDialog.h"
#include "etc/Settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <cstdio>

using namespace zel::qmix;

namespace {

constexpr int Rounds = 3;
constexpr int BackupTimeoutMs = 300000;

int backupFiles(const QString& folder) {
    return int(QDir(folder).entryList({QStringLiteral("*.AL7")}, QDir::Files).size());
}

// Milliseconds from the button press to the backup file; -1 on failure.
qint64 windowBackup(gui::MainWindow& window, const QString& folder, qint64* longestStall) {
    auto* button = window.findChild<QToolButton*>(QStringLiteral("saveBackupPushButton"));
    auto* indicator = window.findChild<gui::CommandProgressIndicator*>(
        QStringLiteral("commandProgressIndicator"));
    const int before = backupFiles(folder);
    GuiStallMeter stalls;
    QElapsedTimer wall;
    stalls.start();
    wall.start();
    button->click();
    stalls.noteNow();
    const bool written =
        BenchEvents::waitFor([&] { return backupFiles(folder) > before; }, BackupTimeoutMs);
    const qint64 elapsed = wall.elapsed();
    BenchEvents::waitFor([&] { return !indicator->isVisible(); }, 10000);
    stalls.stop();
    *longestStall = stalls.longestMs();
    return written ? elapsed : -1;
}

// Milliseconds the command-line backup takes, process start to exit; -1 on failure.
qint64 commandLineBackup(const QString& folder) {
    QProcess cli;
    QElapsedTimer wall;
    wall.start();
    cli.start(QStringLiteral(TH_CLI_PATH),
              {QStringLiteral("backup"), QStringLiteral("-d"), folder});
    if (!cli.waitForFinished(BackupTimeoutMs) || cli.exitCode() != 0) {
        std::fprintf(stderr, "bench_backup_tab: the command line failed: %s\n",
                     cli.readAllStandardError().constData());
        return -1;
    }
    return wall.elapsed();
}

qint64 median(QList<qint64> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

int measure() {
    BenchEvents::closeUnexpectedBoxes("bench_backup_tab");
    JackKeyboardProgram link(QStringLiteral("toneharbour-backup-bench"),
                             QStringLiteral(TH_KEYBOARD_PATH));
    QString error;
    if (!link.start(QStringLiteral("PRV-3200"), &error)) {
        std::fprintf(stderr, "bench_backup_tab: %s\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir windowFolder;
    QTemporaryDir cliFolder;
    etc::Settings::instance()->setMainDataDirectory(windowFolder.path());

    gui::MessageDialog::create();
    gui::MainWindow window;
    window.show();
    if (!window.isConnected()) {
        std::fprintf(stderr, "bench_backup_tab: the window did not connect\n");
        return 1;
    }
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabWidgetMain"));
    tabs->setCurrentWidget(window.findChild<QWidget*>(QStringLiteral("tabBackup")));

    QList<qint64> windowTimes;
    QList<qint64> cliTimes;
    qint64 worstStall = 0;
    // Alternating, so that neither side has the quieter machine.
    for (int round = 0; round < Rounds; ++round) {
        qint64 stall = 0;
        windowTimes << windowBackup(window, windowFolder.path(), &stall);
        worstStall = qMax(worstStall, stall);
        cliTimes << commandLineBackup(cliFolder.path());
        if (windowTimes.last() < 0 || cliTimes.last() < 0)
            return 1;
    }
    const qint64 windowMs = median(windowTimes);
    const qint64 cliMs = median(cliTimes);
    std::printf("window_backup_ms %lld\n", windowMs);
    std::printf("cli_backup_ms %lld\n", cliMs);
    std::printf("window_to_cli_ratio %.3f (target <= 1.05)\n", double(windowMs) / double(cliMs));
    std::printf("longest_gui_stall_during_backup_ms %lld (target <= 50)\n", worstStall);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // Settings of its own, so the user's stay untouched.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication application(argc, argv);
    return measure();
}
