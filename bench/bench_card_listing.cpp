// Figure of the card lists: a card folder with as many entries as the
// keyboard takes (999 play-only files, each a real tiny audio file) is listed
// in the play-only list, shown offscreen. Each listing is timed from the
// reload to the end of the events it causes; the median of five is printed
// against its target (100 ms).
#include "file/CardAudioControlFile.h"
#include "file/CardAudioEntry.h"
#include "gui/CardAudioPlayOnlyTreeView.h"
#include "tests/gui/support/CardFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zel::qmix;

namespace {

constexpr int Passes = 5;
constexpr double TargetMs = 100.0;

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication application(argc, argv);

    CardFolder card(work.filePath(QStringLiteral("card")));
    for (int i = 0; i < file::CardAudioControlFile::kMaxEntries; ++i)
        card.add(file::CardAudioEntry::PlayOnly44100, QStringLiteral("Song %1").arg(i + 1));
    if (!card.save()) {
        std::printf("could not write the card folder\n");
        return 1;
    }

    gui::CardAudioPlayOnlyTreeView view;
    view.resize(480, 600);
    view.show();
    QApplication::processEvents();
    std::vector<double> times;
    for (int pass = 1; pass <= Passes; ++pass) {
        QElapsedTimer clock;
        clock.start();
        view.reload(card.root());
        QApplication::processEvents();
        times.push_back(clock.nsecsElapsed() / 1e6);
        std::printf("pass %d  %d rows  %7.2f ms\n", pass, view.itemModel()->rowCount(),
                    times.back());
    }
    card.unprotectAll();
    if (!view.isCardLoaded() ||
        view.itemModel()->rowCount() != file::CardAudioControlFile::kMaxEntries) {
        std::printf("the card was not listed\n");
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("card listing of %d entries: median %.2f ms (target <= %.0f ms)\n",
                file::CardAudioControlFile::kMaxEntries, times[times.size() / 2], TargetMs);
    return 0;
}
