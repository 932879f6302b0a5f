// The SD card's two audio lists: what they show of a card, what they do when
// the card cannot be read or disappears, imports dropped on the play-only
// list, deletions through the trash, drags and the alignment of the lists.

#include "app/MessageDialog.h"
#include "comm/CommandControlSource.h"
#include "comm/FileCopyCommandResult.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/PortChoice.h"
#include "data/MimeData.h"
#include "file/CardAudioControlFile.h"
#include "file/FreeSpace.h"
#include "gui/CardAudioPlayOnlyTreeView.h"
#include "gui/CardAudioRecordableTreeView.h"
#include "tests/app/ModalBoxWatcher.h"
#include "tests/audio/WaveImages.h"
#include "tests/comm/ProtectedPath.h"
#include "tests/gui/support/CardFolder.h"
#include "tests/support/ViewDrop.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zel::qmix;
using file::CardAudioControlFile;
using file::CardAudioEntry;
using testsupport::ViewDrop;
using Snapshot = QMap<QString, QByteArray>;

namespace {

constexpr int Patience = 30000;
constexpr int R = CardAudioEntry::Recordable;
constexpr int P1 = CardAudioEntry::PlayOnly42819;
constexpr int P2 = CardAudioEntry::PlayOnly44100;

// Stands for the progress display, the source of cancel and suspend requests.
class Indicator : public QObject {
    Q_OBJECT
signals:
    void cancelRequested();
    void suspendChangeRequested(bool suspended);
};

template <class View> class Opened : public View {
public:
    using View::createDragData;
    using View::dragPixmap;
    using View::startDrag;
};
using Recordable = Opened<gui::CardAudioRecordableTreeView>;
using PlayOnly = Opened<gui::CardAudioPlayOnlyTreeView>;

// The play-only list as the window wires it, to a communicator that reaches
// no keyboard (the audio commands need none) and to the progress display.
struct WiredPlayOnly {
    explicit WiredPlayOnly(const QDir& card) {
        view.setCommunicator(&communicator);
        view.setCommandControlSource(comm::CommandControlSource::of(
            &indicator, &Indicator::cancelRequested, &Indicator::suspendChangeRequested));
        view.reload(card);
    }

    comm::KeyboardCommunicator communicator{
        comm::PortChoice::matching(QStringLiteral("no such port"), QStringLiteral("no such port"))};
    Indicator indicator;
    PlayOnly view;
};

void deliverRequests() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// Each row as "number|name|size".
QStringList rowTexts(const gui::CardAudioTreeView& view) {
    QStringList rows;
    const QStandardItemModel* model = view.itemModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 3; ++column)
            cells.append(model->item(row, column)->text());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

void selectRows(gui::CardAudioTreeView& view, const QList<int>& rows) {
    for (int row : rows)
        view.selectionModel()->select(view.itemModel()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QString pcWave(const QDir& folder, const QString& name, quint32 rate, quint16 channels,
               qint64 frames) {
    wave_images::Format format;
    format.rate = rate;
    format.channels = channels;
    std::vector<qint64> samples(size_t(frames * channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qint64(i * 37 % 2001) - 1000;
    const QString path = folder.filePath(name);
    return wave_images::writeFile(path, wave_images::pcmFile(format, samples)) ? path : QString();
}

QList<QUrl> urls(const QStringList& paths) {
    QList<QUrl> list;
    for (const QString& path : paths)
        list.append(QUrl::fromLocalFile(path));
    return list;
}

QStringList dataNames(const QString& controlFile) {
    CardAudioControlFile control;
    QStringList names;
    if (control.load(controlFile) != file::FileOk)
        return {QStringLiteral("(unreadable)")};
    for (const CardAudioEntry& entry : control.entries())
        names.append(entry.dataName.trimmed());
    return names;
}

QStringList boxTexts(const ModalBoxWatcher& boxes) {
    QStringList texts;
    for (const ModalBoxWatcher::SeenBox& box : boxes.seen())
        texts.append(box.text);
    return texts;
}

} // namespace

class tst_CardAudioViews : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void listsTheEntriesOfItsKind_data();
    void listsTheEntriesOfItsKind();
    void reportsSizesInMegabytes();
    void unreadableCardDisablesTheList_data();
    void unreadableCardDisablesTheList();
    void cardRemovedWhileShownIsNeverWritten_data();
    void cardRemovedWhileShownIsNeverWritten();
    void droppedFilesAreImportedEachUnderItsTitle();
    void cancelledImportLeavesTheCardAsItWas_data();
    void cancelledImportLeavesTheCardAsItWas();
    void trashNeverLeavesAnEntryWithoutItsFile_data();
    void trashNeverLeavesAnEntryWithoutItsFile();
    void dragCarriesTheEntriesWithAudioOutOfTheCard_data();
    void dragCarriesTheEntriesWithAudioOutOfTheCard();
    void recordableListShowsExactlyFiveRows_data();
    void recordableListShowsExactlyFiveRows();
    void listsStayAligned();

private:
    std::unique_ptr<QTemporaryDir> work;
    std::unique_ptr<CardFolder> card;
    QString pcFolder;
    QString startFolder;
};

void tst_CardAudioViews::initTestCase() {
    gui::MessageDialog::create();
    startFolder = QDir::currentPath();
}

void tst_CardAudioViews::init() {
    work = std::make_unique<QTemporaryDir>();
    QVERIFY(work->isValid());
    card = std::make_unique<CardFolder>(work->filePath(QStringLiteral("card")));
    pcFolder = work->filePath(QStringLiteral("pc"));
    QVERIFY(QDir().mkpath(pcFolder));
}

void tst_CardAudioViews::cleanup() {
    file::FreeSpace::clearOverride();
    QDir::setCurrent(startFolder);
    card->unprotectAll();
    card.reset();
    work.reset();
}

void tst_CardAudioViews::listsTheEntriesOfItsKind_data() {
    QTest::addColumn<QList<int>>("kinds");
    QTest::addColumn<QStringList>("recordableRows");
    QTest::addColumn<QStringList>("playOnlyRows");

    const QString noData = QStringLiteral("-|No Data|-");
    QTest::newRow("mixed") << QList<int>{R, P2, R, P1}
                           << QStringList{"1|E0          |1 MB", "3|E2          |1 MB"}
                           << QStringList{"2|E1          |1 MB", "4|E3          |1 MB"};
    QTest::newRow("play-only only") << QList<int>{P2, P1} << QStringList{noData}
                                    << QStringList{"1|E0          |1 MB", "2|E1          |1 MB"};
    QTest::newRow("no entries") << QList<int>{} << QStringList{noData} << QStringList{noData};
}

void tst_CardAudioViews::listsTheEntriesOfItsKind() {
    QFETCH(QList<int>, kinds);
    QFETCH(QStringList, recordableRows);
    QFETCH(QStringList, playOnlyRows);
    for (int i = 0; i < kinds.size(); ++i)
        card->add(kinds.at(i), QStringLiteral("E%1").arg(i));
    QVERIFY(card->save());
    Recordable recordable;
    PlayOnly playOnly;
    QSignalSpy succeeded(&recordable, &gui::CardAudioTreeView::cardLoadSucceeded);

    recordable.reload(card->root());
    playOnly.reload(card->root());

    QCOMPARE(succeeded.size(), 1);
    QVERIFY(recordable.isEnabled());
    QCOMPARE(rowTexts(recordable), recordableRows);
    QCOMPARE(rowTexts(playOnly), playOnlyRows);
    for (gui::CardAudioTreeView* view : {static_cast<gui::CardAudioTreeView*>(&recordable),
                                         static_cast<gui::CardAudioTreeView*>(&playOnly)}) {
        const QStandardItemModel* model = view->itemModel();
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Size"));
        const bool placeholder = model->item(0, 1)->text() == QStringLiteral("No Data");
        QCOMPARE(bool(model->item(0, 1)->flags() & Qt::ItemIsSelectable), !placeholder);
        QCOMPARE(model->item(0, 1)->icon().isNull(), placeholder);
    }
}

void tst_CardAudioViews::reportsSizesInMegabytes() {
    card->add(P2, QStringLiteral("Short"), 76800); // 307,200 bytes
    card->add(R, QStringLiteral("Take"), 2000);
    card->add(P1, QStringLiteral("Long"), 1375000); // 5,500,000 bytes
    QVERIFY(card->save());
    file::FreeSpace::setOverride(10 * 1024 * 1024);
    PlayOnly view;
    QStringList events;
    connect(&view, &gui::CardAudioTreeView::requireAudioSizeReset, this,
            [&] { events << QStringLiteral("reset"); });
    connect(&view, &gui::CardAudioTreeView::notifyAudioSizeTotal, this,
            [&](int mb) { events << QStringLiteral("total %1").arg(mb); });
    connect(&view, &gui::CardAudioTreeView::notifyAudioSizeCurrent, this,
            [&](int mb) { events << QStringLiteral("current %1").arg(mb); });

    view.reload(card->root());

    QCOMPARE(rowTexts(view), QStringList({"1|Short       |1 MB", "3|Long        |5 MB"}));
    // 10 MiB free and 5,807,200 bytes in use.
    QCOMPARE(events, QStringList({"reset", "total 15", "current 5"}));
}

void tst_CardAudioViews::unreadableCardDisablesTheList_data() {
    QTest::addColumn<QString>("cardPath");
    QTest::addColumn<QByteArray>("controlBytes");

    const QByteArray valid =
        QByteArray(12, char(0xFF)) + QByteArray(8, '\0') + QByteArray(12, char(0xFF));
    QByteArray badKind(32, 'A');
    badKind[11] = char(7);
    QTest::newRow("no such folder") << "nowhere" << valid;
    // What the drive selector hands over when no drive is there.
    QTest::newRow("empty directory") << "" << valid;
    QTest::newRow("no audio folder") << "pc" << valid;
    QTest::newRow("no control file") << "card" << QByteArray();
    QTest::newRow("33 bytes") << "card" << valid + "x";
    QTest::newRow("invalid entry") << "card" << badKind + valid;
}

void tst_CardAudioViews::unreadableCardDisablesTheList() {
    QFETCH(QString, cardPath);
    QFETCH(QByteArray, controlBytes);
    // A readable card in the current folder must not be taken for the
    // empty directory.
    card->add(P2, QStringLiteral("Decoy"));
    QVERIFY(card->save());
    QDir::setCurrent(card->root().path());
    QFile::remove(card->controlFilePath());
    if (!controlBytes.isEmpty())
        QVERIFY(wave_images::writeFile(card->controlFilePath(), controlBytes));
    PlayOnly view;
    QSignalSpy failed(&view, &gui::CardAudioTreeView::cardLoadFailed);
    QSignalSpy sizes(&view, &gui::CardAudioTreeView::notifyAudioSizeTotal);

    view.reload(cardPath.isEmpty() ? QDir(QString()) : QDir(work->filePath(cardPath)));

    QCOMPARE(failed.size(), 1);
    QVERIFY(!view.isEnabled());
    QVERIFY(!view.isCardLoaded());
    QCOMPARE(rowTexts(view), QStringList{"||"});
    QCOMPARE(sizes.size(), 0);

    // The card comes back with the next successful reload.
    QVERIFY(card->save());
    view.reload(card->root());
    QVERIFY(view.isEnabled());
    QCOMPARE(rowTexts(view), QStringList{"1|Decoy       |1 MB"});
}

void tst_CardAudioViews::cardRemovedWhileShownIsNeverWritten_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("reload") << "reload";
    QTest::newRow("drop") << "drop";
    QTest::newRow("trash") << "trash";
}

void tst_CardAudioViews::cardRemovedWhileShownIsNeverWritten() {
    QFETCH(QString, action);
    card->add(P2, QStringLiteral("Kept"));
    QVERIFY(card->save());
    WiredPlayOnly wired(card->root());
    PlayOnly& view = wired.view;
    QVERIFY(view.isEnabled());
    selectRows(view, {0});
    const Snapshot before = card->snapshot();
    const QString shown = card->root().path();
    QVERIFY(QDir().rename(shown, shown + "-elsewhere"));
    QSignalSpy registered(&view, &gui::CardAudioTreeView::newCommandRegistered);
    QSignalSpy failed(&view, &gui::CardAudioTreeView::cardLoadFailed);
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));

    if (action == "reload")
        view.reload();
    else if (action == "drop")
        ViewDrop::dropFilesOnRow(&view, urls({pcWave(pcFolder, "a.wav", 44100, 2, 441)}), 0);
    else
        view.sendToTrash();
    deliverRequests();

    QCOMPARE(failed.size(), 1);
    QVERIFY(!view.isEnabled());
    QCOMPARE(registered.size(), 0);
    QVERIFY(boxTexts(boxes).isEmpty());
    QVERIFY(!QFileInfo::exists(shown));
    CardFolder moved(shown + "-elsewhere");
    QCOMPARE(moved.snapshot(), before);
    moved.unprotectAll();
}

void tst_CardAudioViews::droppedFilesAreImportedEachUnderItsTitle() {
    card->add(P2, QStringLiteral("Old"));
    QVERIFY(card->save());
    const QDir pc(pcFolder);
    const QStringList files{pcWave(pc, "one.wav", 44100, 2, 4410),
                            pcWave(pc, "two.wav", 48000, 1, 4800),
                            pcWave(pc, "Old.wav", 22050, 2, 2205)};
    WiredPlayOnly wired(card->root());
    PlayOnly& view = wired.view;
    QSignalSpy registered(&view, &gui::CardAudioTreeView::newCommandRegistered);
    QSignalSpy started(&view, &gui::CardAudioTreeView::commandStarted);
    QSignalSpy progress(&view, &gui::CardAudioTreeView::commandProgress);
    QSignalSpy finished(&view, &gui::CardAudioTreeView::commandFinished);
    QSignalSpy reloads(&view, &gui::CardAudioTreeView::allReloadRequired);
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));

    QVERIFY(ViewDrop::dropFilesOnRow(&view, urls(files), 0));

    QCOMPARE(registered.size(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 3, Patience);
    QStringList titles;
    for (const QList<QVariant>& start : started)
        titles.append(start.first().toString());
    QCOMPARE(titles, QStringList({"Importing \"one.wav\"", "Importing \"two.wav\"",
                                  "Importing \"Old.wav\""}));
    for (const QList<QVariant>& end : finished)
        QCOMPARE(end.first().value<comm::FileCopyCommandResult>().errorCode, 0);
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), (QList<QVariant>{100, 100}));
    QCOMPARE(reloads.size(), 3);
    CardAudioControlFile control;
    QCOMPARE(control.load(card->controlFilePath()), int(file::FileOk));
    QVERIFY(control.isValid());
    QCOMPARE(dataNames(card->controlFilePath()), QStringList({"Old", "one", "two", "Old(2)"}));
    for (const CardAudioEntry& entry : control.entries()) {
        QCOMPARE(entry.kind, P2);
        QVERIFY(QFileInfo::exists(QDir(card->audioFolder()).filePath(entry.fileName())));
    }
    view.reload();
    QCOMPARE(view.itemModel()->rowCount(), 4);
    QVERIFY(boxTexts(boxes).isEmpty());

    // A file that is no WAV file is reported by name and leaves the card alone.
    const Snapshot before = card->snapshot();
    QVERIFY(wave_images::writeFile(pc.filePath("notes.wav"), "just some notes"));
    QVERIFY(ViewDrop::dropFilesOnRow(&view, urls({pc.filePath("notes.wav")}), 0));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 4, Patience);
    QTRY_COMPARE(boxTexts(boxes), QStringList{"File Format Error\nnotes.wav"});
    QCOMPARE(card->snapshot(), before);
}

void tst_CardAudioViews::cancelledImportLeavesTheCardAsItWas_data() {
    QTest::addColumn<bool>("whileRunning");
    QTest::newRow("before it starts") << false;
    QTest::newRow("while it converts") << true;
}

void tst_CardAudioViews::cancelledImportLeavesTheCardAsItWas() {
    QFETCH(bool, whileRunning);
    card->add(R, QStringLiteral("Take"));
    card->add(P2, QStringLiteral("Song"));
    QVERIFY(card->save());
    const Snapshot before = card->snapshot();
    const QString source = pcWave(QDir(pcFolder), "long.wav", 48000, 2, 480000);
    WiredPlayOnly wired(card->root());
    PlayOnly& view = wired.view;
    Indicator& indicator = wired.indicator;
    QSignalSpy finished(&view, &gui::CardAudioTreeView::commandFinished);
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));
    // Ten seconds to convert give the cancel time to come while it runs.
    if (whileRunning) {
        connect(&view, &gui::CardAudioTreeView::commandStarted, &indicator,
                &Indicator::cancelRequested, Qt::SingleShotConnection);
    }

    QVERIFY(ViewDrop::dropFilesOnRow(&view, urls({source}), 0));
    if (!whileRunning)
        emit indicator.cancelRequested();

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, Patience);
    QCOMPARE(finished.first().first().value<comm::FileCopyCommandResult>().errorCode,
             int(comm::CommandErrorCode::Canceled));
    deliverRequests();
    QVERIFY(boxTexts(boxes).isEmpty());
    QCOMPARE(card->snapshot(), before);
}

void tst_CardAudioViews::trashNeverLeavesAnEntryWithoutItsFile_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QStringList>("listedAfter");
    QTest::addColumn<QStringList>("boxes");

    // The card lists A, Rec, B, C, of which A and C are selected.
    QTest::newRow("deleted") << "" << QStringList{"Rec", "B"} << QStringList();
    QTest::newRow("control file not written")
        << "control" << QStringList{"A", "Rec", "B", "C"} << QStringList{"File Write Error"};
    QTest::newRow("audio file not deleted")
        << "audio" << QStringList{"Rec", "B", "C"} << QStringList{"File Write Error"};
}

void tst_CardAudioViews::trashNeverLeavesAnEntryWithoutItsFile() {
    QFETCH(QString, failure);
    QFETCH(QStringList, listedAfter);
    QFETCH(QStringList, boxes);
    card->add(P2, QStringLiteral("A"));
    card->add(R, QStringLiteral("Rec"));
    card->add(P1, QStringLiteral("B"));
    const CardAudioEntry c = card->add(P2, QStringLiteral("C"));
    QVERIFY(card->save());
    const Snapshot before = card->snapshot();
    PlayOnly view;
    view.reload(card->root());
    selectRows(view, {0, 2});
    QSignalSpy reloads(&view, &gui::CardAudioTreeView::allReloadRequired);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    std::unique_ptr<ProtectedPath> undeletable;
    if (failure == "control")
        file::FreeSpace::setOverride(0);
    if (failure == "audio") {
        undeletable = std::make_unique<ProtectedPath>(card->audioFolder() + '/' + c.fileName());
        if (!undeletable->isEffective())
            QSKIP("files cannot be kept from being deleted here");
    }

    view.sendToTrash();
    deliverRequests();
    undeletable.reset();

    QCOMPARE(reloads.size(), 1);
    QCOMPARE(boxTexts(watcher), boxes);
    QCOMPARE(dataNames(card->controlFilePath()), listedAfter);
    CardAudioControlFile control;
    QCOMPARE(control.load(card->controlFilePath()), int(file::FileOk));
    const Snapshot after = card->snapshot();
    QCOMPARE(after.size(), control.count() + 1);
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    for (const CardAudioEntry& entry : control.entries()) {
        const QString path = card->audioFolder() + '/' + entry.fileName();
        QCOMPARE(after.value(entry.fileName()), before.value(entry.fileName()));
        // The test's own hold on the undeletable file leaves it writable.
        if (entry != c || failure != "audio")
            QCOMPARE(QFileInfo(path).permissions() & writable, QFile::Permissions());
    }
    if (failure == "control")
        QCOMPARE(after, before);
}

void tst_CardAudioViews::dragCarriesTheEntriesWithAudioOutOfTheCard_data() {
    QTest::addColumn<bool>("playOnly");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("dragged");

    // The card lists Take, an empty recorder slot, P44 and P42.
    QTest::newRow("recordings") << false << QList<int>{0, 1} << QStringList{"Take"};
    QTest::newRow("empty slot only") << false << QList<int>{1} << QStringList();
    QTest::newRow("play-only") << true << QList<int>{1, 0} << QStringList{"P44", "P42"};
}

void tst_CardAudioViews::dragCarriesTheEntriesWithAudioOutOfTheCard() {
    QFETCH(bool, playOnly);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, dragged);
    card->add(R, QStringLiteral("Take"));
    card->add(R, QStringLiteral("Empty"), 0);
    card->add(P2, QStringLiteral("P44"));
    card->add(P1, QStringLiteral("P42"));
    QVERIFY(card->save());
    Recordable recordable;
    PlayOnly playOnlyView;
    recordable.reload(card->root());
    playOnlyView.reload(card->root());
    selectRows(playOnly ? static_cast<gui::CardAudioTreeView&>(playOnlyView) : recordable, rows);

    std::unique_ptr<data::MimeData> mime(playOnly ? playOnlyView.createDragData()
                                                  : recordable.createDragData());

    QCOMPARE(bool(mime), !dragged.isEmpty());
    if (!mime) {
        // A drag that never starts keeps the other lists as they are.
        QSignalSpy started(&recordable, &gui::CardAudioTreeView::dragStarted);
        QSignalSpy ended(&recordable, &gui::CardAudioTreeView::dragEnded);
        recordable.startDrag(Qt::CopyAction);
        QCOMPARE(started.size(), 0);
        QCOMPARE(ended.size(), 0);
        return;
    }
    QStringList names;
    QList<QUrl> files;
    for (const QVariant& entry : mime->entries()) {
        const auto listed = entry.value<CardAudioEntry>();
        names.append(listed.dataName.trimmed());
        files.append(QUrl::fromLocalFile(card->audioFolder() + '/' + listed.fileName()));
    }
    QCOMPARE(names, dragged);
    QCOMPARE(mime->urls(), files);
    QCOMPARE(mime->isFromPlayOnlyList(), playOnly);
    QCOMPARE(mime->isDeletable(), playOnly);
    QCOMPARE(playOnlyView.dragPixmap().size(), QSize(24, 24));
    // Entries are on the card already: the play-only list takes PC files only,
    // and the recordable list not even those.
    QVERIFY(!ViewDrop::dropOnRow(&playOnlyView, mime.get(), 0));
    QVERIFY(!ViewDrop::dropFilesOnRow(&recordable, mime->urls(), 0));
    QVERIFY(ViewDrop::dropFilesOnRow(&playOnlyView, mime->urls(), 0));
}

void tst_CardAudioViews::recordableListShowsExactlyFiveRows_data() {
    QTest::addColumn<int>("recordings");
    QTest::addColumn<qreal>("fontScale");
    QTest::newRow("eight recordings") << 8 << 1.0;
    QTest::newRow("larger font") << 8 << 2.0;
    QTest::newRow("none") << 0 << 1.0;
}

void tst_CardAudioViews::recordableListShowsExactlyFiveRows() {
    QFETCH(int, recordings);
    QFETCH(qreal, fontScale);
    for (int i = 0; i < recordings; ++i)
        card->add(R, QStringLiteral("Take %1").arg(i));
    QVERIFY(card->save());
    Recordable view;
    view.resize(400, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.reload(card->root());

    QFont font = view.font();
    font.setPointSizeF(font.pointSizeF() * fontScale);
    view.setFont(font);
    QCoreApplication::processEvents();

    const int rowHeight = view.visualRect(view.itemModel()->index(0, 1)).height();
    QVERIFY(rowHeight > 0);
    QCOMPARE(view.viewport()->height(), 5 * rowHeight);
    if (recordings > 5) {
        QCOMPARE(view.visualRect(view.itemModel()->index(4, 1)).bottom(),
                 view.viewport()->height() - 1);
    }
}

void tst_CardAudioViews::listsStayAligned() {
    card->add(R, QStringLiteral("Take"));
    for (int i = 0; i < 20; ++i)
        card->add(P2, QStringLiteral("Song %1").arg(i));
    QVERIFY(card->save());
    QWidget window;
    auto* recordable = new Recordable;
    auto* playOnly = new PlayOnly;
    recordable->setParent(&window);
    playOnly->setParent(&window);
    connect(recordable, &gui::CardAudioRecordableTreeView::columnWidthChanged, playOnly,
            &gui::CardAudioTreeView::setColumnNewWidth);
    connect(playOnly, &gui::CardAudioPlayOnlyTreeView::horizontalScrollBarPosChanged, recordable,
            &gui::CardAudioTreeView::setHorizontalScrollBarPos);
    recordable->setGeometry(0, 0, 400, recordable->height());
    playOnly->setGeometry(0, 200, 400, 300);
    window.resize(400, 500);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto widths = [](const gui::CardAudioTreeView* view) {
        QList<int> sizes;
        for (int column = 0; column < 3; ++column)
            sizes.append(view->header()->sectionSize(column));
        return sizes;
    };

    recordable->reload(card->root());
    playOnly->reload(card->root());
    QCoreApplication::processEvents();
    QCOMPARE(widths(playOnly), widths(recordable));

    // Narrower than the columns need: the play-only list scrolls both.
    recordable->resize(120, recordable->height());
    playOnly->resize(120, 300);
    QCoreApplication::processEvents();
    playOnly->reload();
    QCoreApplication::processEvents();
    QCOMPARE(widths(playOnly), widths(recordable));
    QScrollBar* bar = playOnly->horizontalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum());
    QCOMPARE(recordable->horizontalScrollBar()->value(), bar->maximum());
}

QTEST_MAIN(tst_CardAudioViews)
#include "tst_CardAudioViews.moc"
