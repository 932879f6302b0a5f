// Figures of the desktop window against the virtual keyboard program on a
// private JACK server (synchronous, 64-frame period):
//  - start-up: from process start to the first screen of area names shown in
//    the Transfer tab's keyboard view (target 1.5 s);
//  - responsiveness: the longest time the GUI thread stays away from its event
//    loop while 20 dropped files are sent (target 50 ms), by a 1 ms heartbeat;
//  - idle CPU of the connected window over 10 s (target 1 % of a core).
#include "BenchEvents.h"
#include "GuiStallMeter.h"
#include "JackKeyboardProgram.h"

#include "app/CommandProgressIndicator.h"
#include "app/MainWindow.h"
#include "app/MessageDialog.h"
#include "data/KeyboardInfo.h"
#include "data/RhythmDataCategory.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"
#include "tests/support/JackServer.h"
#include "tests/support/ViewDrop.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

using namespace zel::qmix;

namespace {

const char* const LaunchVariable = "TH_BENCH_LAUNCHED_MS";
constexpr int DroppedFiles = 20;
constexpr int IdleSeconds = 10;

QTreeView* keyboardView(gui::MainWindow& window) {
    return window.findChild<QTreeView*>(QStringLiteral("keyboardTreeView"));
}

// Whether every row on screen shows what the keyboard holds.
bool firstScreenLoaded(QTreeView* view) {
    QAbstractItemModel* model = view->model();
    if (!model || model->rowCount() < 2)
        return false;
    const QModelIndex top = view->indexAt(QPoint(1, 1));
    QModelIndex bottom = view->indexAt(QPoint(1, view->viewport()->height() - 2));
    if (!top.isValid())
        return false;
    if (!bottom.isValid())
        bottom = model->index(model->rowCount() - 1, 0);
    for (int row = top.row(); row <= bottom.row(); ++row) {
        const QString name = model->index(row, 1).data().toString();
        if (name.startsWith(QLatin1Char('<')))
            return false;
    }
    return true;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The child's whole life: a window that searches the ports, until its first
// screen of areas is loaded. Prints the milliseconds since the parent started it.
int startupChild() {
    const qint64 launched = qEnvironmentVariable(LaunchVariable).toLongLong();
    gui::MessageDialog::create();
    gui::MainWindow window;
    window.show();
    if (!BenchEvents::waitFor([&] { return firstScreenLoaded(keyboardView(window)); }, 20000)) {
        std::fprintf(stderr, "the keyboard view did not load\n");
        return 1;
    }
    std::printf("%lld\n", QDateTime::currentMSecsSinceEpoch() - launched);
    return 0;
}

qint64 measureStartup(const QString& program) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(LaunchVariable),
                       QString::number(QDateTime::currentMSecsSinceEpoch()));
    child.setProcessEnvironment(environment);
    child.start(program, {QStringLiteral("--startup-child")});
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return -1;
    return child.readAllStandardOutput().trimmed().toLongLong();
}

QList<QUrl> makeRhythmFiles(const QString& folder) {
    const data::DataCategory* rhythm = data::RhythmDataCategory::instance();
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    QList<QUrl> urls;
    for (int i = 0; i < DroppedFiles; ++i) {
        QSharedPointer<file::AbstractFile> item = file::CategoryFiles::createFile(rhythm);
        item->setData(model->emptyData(rhythm->id(), model->areaOffset(rhythm) + i));
        const QString path = QStringLiteral("%1/Rhythm%2.AC7").arg(folder).arg(i);
        if (item->save(path) != 0)
            return {};
        urls << QUrl::fromLocalFile(path);
    }
    return urls;
}

// Drops the files on the first area and returns the longest gap between
// heartbeats until the progress strip has hidden again.
qint64 longestStallWhileSending(gui::MainWindow& window, const QList<QUrl>& files) {
    QTreeView* view = keyboardView(window);
    auto* indicator = window.findChild<gui::CommandProgressIndicator*>(
        QStringLiteral("commandProgressIndicator"));
    GuiStallMeter stalls;
    stalls.start();
    const bool dropped = testsupport::ViewDrop::dropFilesOnRow(view, files, 0);
    // The drop itself runs on the GUI thread too.
    stalls.noteNow();
    const bool shown =
        dropped && BenchEvents::waitFor([&] { return indicator->isVisible(); }, 5000);
    const bool done =
        shown && BenchEvents::waitFor([&] { return !indicator->isVisible(); }, 120000);
    stalls.stop();
    return done ? stalls.longestMs() : -1;
}

double idleCpuPercent(int seconds) {
    QElapsedTimer wall;
    const double before = processCpuSeconds();
    wall.start();
    // A real event loop: the window is idle, not polled.
    QEventLoop idle;
    QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
    idle.exec();
    return 100.0 * (processCpuSeconds() - before) / (double(wall.elapsed()) / 1000.0);
}

int measureAll() {
    BenchEvents::closeUnexpectedBoxes("bench_window");
    JackKeyboardProgram link(QStringLiteral("toneharbour-window-bench"),
                             QStringLiteral(TH_KEYBOARD_PATH));
    QString error;
    if (!link.start(QStringLiteral("PRV-3200"), &error)) {
        std::fprintf(stderr, "bench_window: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 startup = measureStartup(QCoreApplication::applicationFilePath());
    std::printf("startup_to_first_area_names_ms %lld (target <= 1500)\n", startup);

    gui::MessageDialog::create();
    gui::MainWindow window;
    window.show();
    if (!window.isConnected() ||
        !BenchEvents::waitFor([&] { return firstScreenLoaded(keyboardView(window)); }, 20000)) {
        std::fprintf(stderr, "bench_window: the window did not connect and load\n");
        return 1;
    }
    auto* categories = window.findChild<QComboBox*>(QStringLiteral("comboBoxNormal"));
    categories->setCurrentIndex(
        categories->findText(data::RhythmDataCategory::instance()->displayName()));
    BenchEvents::waitFor([&] { return firstScreenLoaded(keyboardView(window)); }, 20000);
    QTemporaryDir folder;
    const QList<QUrl> files = makeRhythmFiles(folder.path());
    const qint64 stall = longestStallWhileSending(window, files);
    std::printf("longest_gui_stall_while_sending_%d_files_ms %lld (target <= 50)\n", DroppedFiles,
                stall);

    BenchEvents::waitFor([&] { return firstScreenLoaded(keyboardView(window)); }, 20000);
    const double idle = idleCpuPercent(IdleSeconds);
    std::printf("idle_cpu_percent_of_a_core %.2f (target <= 1)\n", idle);
    std::fflush(stdout);
    return (startup < 0 || stall < 0) ? 1 : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication application(argc, argv);
    // Settings of its own, so the user's stay untouched.
    if (QCoreApplication::arguments().contains(QStringLiteral("--startup-child")))
        return startupChild();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    return measureAll();
}
