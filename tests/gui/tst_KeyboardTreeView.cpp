// The keyboard list of the Transfer tab against an in-process virtual keyboard.

#include "support/WiredKeyboard.h"
#include "tests/app/ModalBoxWatcher.h"
#include "tests/support/ViewDrop.h"

#include "app/MessageDialog.h"
#include "comm/AbstractCommand.h"
#include "comm/BulkSendCommandInfo.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CategoryMemoryCommandResult.h"
#include "comm/KeyboardCommunicator.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "data/MusicPresetDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "emu/FaultPlan.h"
#include "emu/KeyboardMemory.h"
#include "etc/GenericChecker.h"
#include "file/CategoryFiles.h"
#include "gui/KeyboardTreeView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <memory>

using namespace zel::qmix;
using comm::BulkSendCommandResult;
using comm::CommandErrorCode;
using gui::KeyboardTreeView;

Q_DECLARE_METATYPE(emu::FaultPlan)

namespace {

constexpr int Song = 33;
constexpr int Registration = 34;
constexpr int Rhythm = 36;
// Long enough for a keyboard that answers; the dead keyboard has its own.
constexpr int Patience = 30000;

const QString FirstGeneration = QStringLiteral("PRV-1200");
const QString SecondGeneration = QStringLiteral("PRV-3200");
// The one model on which a song's follow-up is not skipped.
const QString SongFollowUpModel = QStringLiteral("PRV-3100");

const data::DataCategory* category(int code) {
    return data::categoryFromId(code, 0);
}

// A native rhythm as a file and an area hold it: "AC07", its length, and its
// name at bytes 10-21.
QByteArray rhythm(const QByteArray& name, int size, char filler = 'r') {
    QByteArray data(size, filler);
    data.replace(0, 4, "AC07");
    qToLittleEndian<qint32>(size, data.data() + 4);
    data.replace(10, 12, name.leftJustified(12, ' ', true));
    return data;
}

// A song of the model's own template with `size` bytes in all.
QByteArray song(const data::KeyboardInfo* model, int area, int size) {
    QByteArray data = model->emptyData(Song, area);
    data.replace(10, 12, QByteArray("Half Full").leftJustified(12, ' '));
    const int templateSize = int(data.size());
    data.resize(size);
    for (int i = templateSize; i < size; ++i)
        data[i] = char(i % 97);
    return data;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// Keeps the subjects it was asked about (on the communication thread) and
// gives one answer to all.
class RecordingChecker : public etc::GenericChecker {
public:
    explicit RecordingChecker(bool answer)
        : answer_(answer) {}

    bool check(QVariant subject) override {
        QMutexLocker lock(&mutex_);
        subjects_.append(subject.value<BulkSendCommandResult>());
        return answer_;
    }

    QList<BulkSendCommandResult> subjects() const {
        QMutexLocker lock(&mutex_);
        return subjects_;
    }

private:
    const bool answer_;
    mutable QMutex mutex_;
    QList<BulkSendCommandResult> subjects_;
};

class ExposedView : public KeyboardTreeView {
public:
    using KeyboardTreeView::createDragData;
};

// A shown keyboard list wired to a virtual keyboard. The view goes before the
// keyboard, so no answer reaches a view that has gone.
struct Fixture {
    explicit Fixture(const QString& modelName, const TransferKeyboard::Preparation& prepare = {},
                     const emu::FaultPlan& faults = {}, bool checkerAnswer = true)
        : checker(checkerAnswer)
        , wired(modelName, prepare, faults) {
        view.setCommunicator(wired.communicator());
        view.setReplaceChecker(&checker);
        view.resize(360, 260);
        view.show();
    }

    QString text(int row, int column = KeyboardTreeView::NameColumn) const {
        const QStandardItem* item = view.itemModel()->item(row, column);
        return item ? item->text() : QStringLiteral("(no row)");
    }
    bool isSettled(int row) const {
        const QString shown = text(row);
        return shown != KeyboardTreeView::loadingText() && shown != KeyboardTreeView::queuedText();
    }
    QVariant size(int row) const {
        return view.itemModel()
            ->item(row, KeyboardTreeView::SizeColumn)
            ->data(KeyboardTreeView::SizeRole);
    }
    emu::KeyboardMemory memory() { return wired.keyboard().memory(); }

    // Drags `mime` over `row` and drops it there, as a drag from the PC list
    // or a file manager arrives; true when the view took the drop.
    bool drop(int row, QMimeData* mime) {
        return zel::qmix::testsupport::ViewDrop::dropOnRow(&view, mime, row);
    }
    bool dropFiles(int row, const QStringList& paths, bool fromProgram = true) {
        std::unique_ptr<QMimeData> mime(fromProgram ? new data::MimeData() : new QMimeData());
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        mime->setUrls(urls);
        return drop(row, mime.get());
    }

    void select(int row) {
        view.selectionModel()->select(view.itemModel()->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect |
                                          QItemSelectionModel::Rows);
    }

    // Asked from the communication thread, so it outlives the keyboard.
    RecordingChecker checker;
    WiredKeyboard wired;
    ExposedView view;
};

} // namespace

class tst_KeyboardTreeView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void listsTheAreasOfTheCategory_data();
    void listsTheAreasOfTheCategory();
    void loadsOnlyAroundTheVisibleRows();
    void memoryPercentage_data();
    void memoryPercentage();
    void memoryBarFromTheKeyboard_data();
    void memoryBarFromTheKeyboard();
    void droppedFileArrivesUnchanged_data();
    void droppedFileArrivesUnchanged();
    void occupiedAreaAsksTheChecker_data();
    void occupiedAreaAsksTheChecker();
    void unusableFileChangesNothing_data();
    void unusableFileChangesNothing();
    void failedSendNamesTheArea_data();
    void failedSendNamesTheArea();
    void ownAreasDroppedBackAreIgnored();
    void pendingSendsShowQueued();
    void deletingAreas_data();
    void deletingAreas();
    void songSendDisablesCancel_data();
    void songSendDisablesCancel();
    void deadKeyboardGivesUpWithoutFreezing();

private:
    std::unique_ptr<ModalBoxWatcher> watcher;
};

void tst_KeyboardTreeView::initTestCase() {
    // Only the wire's keyboards may be found: no sound server is asked.
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
    data::DataCategory::registerMetaTypes();
    gui::MessageDialog::create();
}

void tst_KeyboardTreeView::listsTheAreasOfTheCategory_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("firstShown");

    // DSP areas are shown from 101 on, drawbar settings from 51 though the
    // keyboard addresses them from 100.
    QTest::newRow("rhythm") << Rhythm << 0 << 100 << 1;
    QTest::newRow("DSP") << 19 << 0 << 100 << 101;
    QTest::newRow("drawbar organ") << 3 << 100 << 50 << 51;
    QTest::newRow("registration") << Registration << 0 << 1 << 1;
}

void tst_KeyboardTreeView::listsTheAreasOfTheCategory() {
    QFETCH(int, code);
    QFETCH(int, area);
    QFETCH(int, rows);
    QFETCH(int, firstShown);
    Fixture fixture(FirstGeneration);
    const data::DataCategory* shown = data::categoryFromId(code, area);

    fixture.view.reload(shown);

    QStandardItemModel* items = fixture.view.itemModel();
    QCOMPARE(items->rowCount(), rows);
    QCOMPARE(items->columnCount(), 3);
    QCOMPARE(items->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Area"));
    QCOMPARE(items->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Data Name"));
    QCOMPARE(items->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Size"));
    QCOMPARE(fixture.text(0, 0), QString::number(firstShown));
    QCOMPARE(fixture.text(rows - 1, 0), QString::number(firstShown + rows - 1));
    QCOMPARE(fixture.view.areaNumberOf(0), area);

    // Without a keyboard there is a single empty row.
    fixture.wired.communicator()->disconnectKeyboard();
    fixture.view.reload();
    QCOMPARE(items->rowCount(), 1);
    QVERIFY(!fixture.view.showsAreas());
    QCOMPARE(fixture.text(0), QString());
}

void tst_KeyboardTreeView::loadsOnlyAroundTheVisibleRows() {
    const data::KeyboardInfo* model = data::KeyboardInfo::find(FirstGeneration);
    // Slow enough that the view is repainted while reads are still pending.
    emu::FaultPlan slow;
    slow.replyDelayMs = 10;
    Fixture fixture(
        FirstGeneration,
        [](emu::KeyboardMemory& memory) {
            for (int area = 0; area < 100; ++area)
                memory.setAreaData(Rhythm, area,
                                   rhythm("Beat " + QByteArray::number(area), 300 + area));
        },
        slow);
    QVERIFY(QTest::qWaitForWindowExposed(&fixture.view));
    QCOMPARE(model->areaCount(category(Rhythm)), 100);

    // Shown and scrolled at once: the view was never still at the top.
    fixture.view.reload(category(Rhythm));
    for (int row = 10; row <= 60; row += 10)
        fixture.view.scrollTo(fixture.view.itemModel()->index(row, 0),
                              QAbstractItemView::PositionAtTop);
    const int first = fixture.view.indexAt(QPoint(0, 0)).row();
    const int last = fixture.view.indexAt(QPoint(0, fixture.view.viewport()->height() - 1)).row();
    QCOMPARE(first, 60);
    QVERIFY(last > first && last < 99 - KeyboardTreeView::LoadMargin);
    const int from = first - KeyboardTreeView::LoadMargin;
    const int to = last + KeyboardTreeView::LoadMargin;
    const auto rangeSettled = [&] {
        for (int row = from; row <= to; ++row) {
            if (!fixture.isSettled(row))
                return false;
        }
        return true;
    };

    QTRY_VERIFY_WITH_TIMEOUT(rangeSettled(), Patience);
    // Each area was asked for once: no second read of a pending one waits.
    QVERIFY(
        !fixture.wired.communicator()->hasQueuedCommands(comm::KeyboardCommunicator::MemoryLevel));
    // Whatever else asks for a repaint meanwhile must not widen the range.
    QTest::qWait(3 * KeyboardTreeView::LoadDelayMs);
    for (int row = 0; row < 100; ++row) {
        if (row < from || row > to) {
            QCOMPARE(fixture.text(row), KeyboardTreeView::loadingText());
            continue;
        }
        QCOMPARE(fixture.text(row), QStringLiteral("Beat %1").arg(row));
        QCOMPARE(fixture.size(row).toInt(), 300 + row);
        QCOMPARE(fixture.text(row, KeyboardTreeView::SizeColumn),
                 KeyboardTreeView::sizeText(300 + row));
    }
}

void tst_KeyboardTreeView::memoryPercentage_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("percent");

    // What empty areas take is left out of both sizes: 5 songs of 817 bytes
    // and 100 music presets of 43 bytes on this model.
    const int songs = 5 * 817;
    const int presets = 100 * 43;
    QTest::newRow("nothing stored") << Song << songs << songs + 10000 << 0;
    QTest::newRow("1 byte of 10000") << Song << songs + 1 << songs + 10000 << 1;
    QTest::newRow("half") << Song << songs + 5000 << songs + 10000 << 50;
    QTest::newRow("9999 bytes of 10000") << Song << songs + 9999 << songs + 10000 << 99;
    QTest::newRow("full") << Song << songs + 10000 << songs + 10000 << 99;
    QTest::newRow("no room reported") << Song << songs + 10 << 0 << 99;
    QTest::newRow("preset, 1 byte of 10000") << 37 << presets + 1 << presets + 10000 << 1;
    QTest::newRow("preset, full") << 37 << presets + 10000 << presets + 10000 << 99;
}

void tst_KeyboardTreeView::memoryPercentage() {
    QFETCH(int, code);
    QFETCH(int, used);
    QFETCH(int, total);
    QFETCH(int, percent);
    data::KeyboardInfo::setCurrentModel(data::KeyboardInfo::find(FirstGeneration));
    KeyboardTreeView view;
    view.reload(category(code));
    QSignalSpy current(&view, &KeyboardTreeView::notifyCategoryCurrentMemory);
    QSignalSpy maximum(&view, &KeyboardTreeView::notifyCategoryTotalMemory);
    QSignalSpy ok(&view, &KeyboardTreeView::notifyCategoryMemoryOk);

    // An answer about another category is not this one's.
    const int other = code == Song ? 37 : Song;
    view.onFinishCategoryMemoryLoad(
        QVariant::fromValue(comm::CategoryMemoryCommandResult{0, used, total, other}));
    QCOMPARE(current.count(), 0);

    view.onFinishCategoryMemoryLoad(
        QVariant::fromValue(comm::CategoryMemoryCommandResult{0, used, total, code}));
    QCOMPARE(current.count(), 1);
    QCOMPARE(current.first().first().toInt(), percent);
    QCOMPARE(maximum.last().first().toInt(), 100);
    QCOMPARE(ok.count(), 1);
}

void tst_KeyboardTreeView::memoryBarFromTheKeyboard_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("songSize");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("percent");

    const data::KeyboardInfo* model = data::KeyboardInfo::find(FirstGeneration);
    const int room = model->songMemoryCapacity() - 5 * 817;
    QTest::newRow("songs, none stored") << Song << 0 << true << 0;
    QTest::newRow("songs, half the room") << Song << 817 + room / 2 + 1 << true << 50;
    QTest::newRow("rhythms have no memory bar") << Rhythm << 0 << false << -1;
    QTest::newRow("registrations have no memory bar") << Registration << 0 << false << -1;
}

void tst_KeyboardTreeView::memoryBarFromTheKeyboard() {
    QFETCH(int, code);
    QFETCH(int, songSize);
    QFETCH(bool, shown);
    QFETCH(int, percent);
    const data::KeyboardInfo* model = data::KeyboardInfo::find(FirstGeneration);
    Fixture fixture(FirstGeneration, [&](emu::KeyboardMemory& memory) {
        if (songSize > 0)
            memory.setAreaData(Song, 2, song(model, 2, songSize));
    });
    QSignalSpy display(&fixture.view, &KeyboardTreeView::notifyMemoryDisplayRequired);
    QSignalSpy current(&fixture.view, &KeyboardTreeView::notifyCategoryCurrentMemory);
    QSignalSpy ok(&fixture.view, &KeyboardTreeView::notifyCategoryMemoryOk);

    fixture.view.reload(category(code));

    QCOMPARE(display.count(), 1);
    QCOMPARE(display.first().first().toBool(), shown);
    if (!shown) {
        // Nothing is asked: the only query so far would be the memory's.
        QVERIFY(!fixture.wired.communicator()->hasQueuedCommands(
            comm::KeyboardCommunicator::MemoryLevel));
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(ok.count(), 1, Patience);
    QCOMPARE(current.count(), 1);
    QCOMPARE(current.first().first().toInt(), percent);
}

void tst_KeyboardTreeView::droppedFileArrivesUnchanged_data() {
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<bool>("fromProgram");

    QTest::newRow("first generation, from the PC list") << FirstGeneration << true;
    QTest::newRow("first generation, from a file manager") << FirstGeneration << false;
    QTest::newRow("second generation, from the PC list") << SecondGeneration << true;
}

void tst_KeyboardTreeView::droppedFileArrivesUnchanged() {
    QFETCH(QString, modelName);
    QFETCH(bool, fromProgram);
    Fixture fixture(modelName);
    QTemporaryDir dir;
    const QByteArray bossa = rhythm("Bossa Nova", 1500, '\x11');
    const QString path = writeFile(dir, QStringLiteral("Bossa.AC7"), bossa);
    QVERIFY(!path.isEmpty());
    fixture.view.reload(category(Rhythm));
    QTRY_VERIFY_WITH_TIMEOUT(fixture.isSettled(2), Patience);
    QCOMPARE(fixture.text(2), QString());
    QSignalSpy registered(&fixture.view, &KeyboardTreeView::newCommandRegistered);
    QSignalSpy started(&fixture.view, &KeyboardTreeView::commandStarted);
    QSignalSpy finished(&fixture.view, &KeyboardTreeView::commandFinished);
    QSignalSpy errors(&fixture.view, &KeyboardTreeView::notifyError);

    QVERIFY(fixture.dropFiles(2, {path}, fromProgram));

    QCOMPARE(registered.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, Patience);
    QCOMPARE(finished.first().first().value<BulkSendCommandResult>(),
             (BulkSendCommandResult{0, Rhythm, 2}));
    QCOMPARE(started.first().first().toString(), QStringLiteral("Sending \"Bossa.AC7\""));
    QCOMPARE(fixture.memory().areaData(Rhythm, 2), bossa);
    // The area is read again, on second-generation keyboards once the series
    // of sends is closed.
    QTRY_COMPARE_WITH_TIMEOUT(fixture.text(2), QStringLiteral("Bossa Nova"), Patience);
    QCOMPARE(fixture.size(2).toInt(), bossa.size());
    QCOMPARE(errors.count(), 0);
    QVERIFY(fixture.checker.subjects().isEmpty());
}

void tst_KeyboardTreeView::occupiedAreaAsksTheChecker_data() {
    QTest::addColumn<bool>("answer");
    QTest::newRow("replace") << true;
    QTest::newRow("keep") << false;
}

void tst_KeyboardTreeView::occupiedAreaAsksTheChecker() {
    QFETCH(bool, answer);
    const QByteArray old = rhythm("Old Waltz", 900);
    Fixture fixture(
        FirstGeneration, [&](emu::KeyboardMemory& memory) { memory.setAreaData(Rhythm, 4, old); },
        {}, answer);
    QTemporaryDir dir;
    const QByteArray fresh = rhythm("New Tango", 1200, 't');
    const QString path = writeFile(dir, QStringLiteral("Tango.AC7"), fresh);
    fixture.view.reload(category(Rhythm));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.text(4), QStringLiteral("Old Waltz"), Patience);
    QSignalSpy finished(&fixture.view, &KeyboardTreeView::commandFinished);
    QSignalSpy errors(&fixture.view, &KeyboardTreeView::notifyError);

    QVERIFY(fixture.dropFiles(4, {path}));

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, Patience);
    QCOMPARE(fixture.checker.subjects(),
             (QList<BulkSendCommandResult>{{CommandErrorCode::ReplaceQuestion, Rhythm, 4}}));
    QCOMPARE(fixture.memory().areaData(Rhythm, 4), answer ? fresh : old);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.text(4),
                              answer ? QStringLiteral("New Tango") : QStringLiteral("Old Waltz"),
                              Patience);
    QCOMPARE(errors.count(), 0);
}

void tst_KeyboardTreeView::unusableFileChangesNothing_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("boxText");

    QTest::newRow("not a rhythm") << true << QByteArray("no rhythm at all")
                                  << QStringLiteral("File Format Error\nJunk.AC7");
    QTest::newRow("length field disagrees")
        << true << rhythm("Short", 400).left(300) << QStringLiteral("File Format Error\nJunk.AC7");
    QTest::newRow("missing file") << false << QByteArray() << QString();
}

void tst_KeyboardTreeView::unusableFileChangesNothing() {
    QFETCH(bool, exists);
    QFETCH(QByteArray, content);
    QFETCH(QString, boxText);
    const QByteArray old = rhythm("Kept", 700);
    Fixture fixture(FirstGeneration,
                    [&](emu::KeyboardMemory& memory) { memory.setAreaData(Rhythm, 1, old); });
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));
    QTemporaryDir dir;
    const QString path = exists ? writeFile(dir, QStringLiteral("Junk.AC7"), content)
                                : dir.filePath(QStringLiteral("Junk.AC7"));
    fixture.view.reload(category(Rhythm));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.text(1), QStringLiteral("Kept"), Patience);
    QSignalSpy registered(&fixture.view, &KeyboardTreeView::newCommandRegistered);
    QSignalSpy errors(&fixture.view, &KeyboardTreeView::notifyError);

    fixture.dropFiles(1, {path});

    QCOMPARE(fixture.text(1), QStringLiteral("Kept"));
    QCOMPARE(registered.count(), 0);
    if (exists) {
        QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 1, Patience);
        QCOMPARE(boxes.seen().first().text, boxText);
        QCOMPARE(errors.count(), 0);
    } else {
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).toInt(), int(CommandErrorCode::FileReadError));
        QCOMPARE(errors.first().at(1).toString(), path);
    }
    QTest::qWait(200);
    QCOMPARE(fixture.memory().areaData(Rhythm, 1), old);
    QCOMPARE(fixture.text(1), QStringLiteral("Kept"));
}

void tst_KeyboardTreeView::failedSendNamesTheArea_data() {
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<emu::FaultPlan>("faults");
    QTest::addColumn<int>("storedSize");

    emu::FaultPlan refusing;
    refusing.rejectAcks = emu::Occurrences::every();
    QTest::newRow("refused") << FirstGeneration << refusing << 0;
    // The picture takes two blocks: the fourth is the data's second. The
    // keyboard stores what arrived and takes the rest for done.
    emu::FaultPlan losing;
    losing.lostBlocks = emu::Occurrences::only({4});
    QTest::newRow("block lost, first generation") << FirstGeneration << losing << 800 - 203;
    QTest::newRow("block lost, second generation") << SecondGeneration << losing << 800 - 203;
}

void tst_KeyboardTreeView::failedSendNamesTheArea() {
    QFETCH(QString, modelName);
    QFETCH(emu::FaultPlan, faults);
    QFETCH(int, storedSize);
    Fixture fixture(modelName, {}, faults);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("Samba.AC7"), rhythm("Samba", 800));
    fixture.view.reload(category(Rhythm));
    QTRY_VERIFY_WITH_TIMEOUT(fixture.isSettled(2), Patience);
    QSignalSpy errors(&fixture.view, &KeyboardTreeView::notifyError);
    QSignalSpy finished(&fixture.view, &KeyboardTreeView::commandFinished);

    QVERIFY(fixture.dropFiles(2, {path}));

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, Patience);
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, Patience);
    QCOMPARE(errors.first().at(0).toInt(), int(CommandErrorCode::CommunicationError));
    QCOMPARE(errors.first().at(1).toString(), QStringLiteral("Send to Rhythm area 3"));
    // The row does not stay queued: it is read again and shows what the
    // keyboard holds.
    QTRY_VERIFY_WITH_TIMEOUT(fixture.isSettled(2), Patience);
    QCOMPARE(fixture.size(2).toInt(), storedSize);
    QCOMPARE(fixture.memory().isAreaUsed(Rhythm, 2), storedSize != 0);
    QCOMPARE(errors.count(), 1);
}

void tst_KeyboardTreeView::ownAreasDroppedBackAreIgnored() {
    Fixture fixture(FirstGeneration);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("Rock.AC7"), rhythm("Rock", 500));
    fixture.view.reload(category(Rhythm));
    QSignalSpy registered(&fixture.view, &KeyboardTreeView::newCommandRegistered);
    fixture.select(1);
    std::unique_ptr<data::MimeData> own(fixture.view.createDragData());
    QVERIFY(own);
    own->setSourceView(&fixture.view);
    // Even with a file on it, a drag of this view's own rows is not taken.
    own->setUrls({QUrl::fromLocalFile(path)});

    QVERIFY(!fixture.drop(3, own.get()));
    QCOMPARE(registered.count(), 0);
    QCOMPARE(fixture.text(3), KeyboardTreeView::loadingText());
}

void tst_KeyboardTreeView::pendingSendsShowQueued() {
    Fixture fixture(FirstGeneration);
    QTemporaryDir dir;
    const QByteArray first = rhythm("First", 600, 'a');
    const QByteArray second = rhythm("Second", 700, 'b');
    const QString firstPath = writeFile(dir, QStringLiteral("First.AC7"), first);
    const QString secondPath = writeFile(dir, QStringLiteral("Second.AC7"), second);
    fixture.view.reload(category(Rhythm));
    QTRY_VERIFY_WITH_TIMEOUT(fixture.isSettled(5) && fixture.isSettled(6), Patience);
    QSignalSpy registered(&fixture.view, &KeyboardTreeView::newCommandRegistered);
    QSignalSpy finished(&fixture.view, &KeyboardTreeView::commandFinished);

    // Two files dropped together go to consecutive areas.
    QVERIFY(fixture.dropFiles(5, {firstPath, secondPath}));
    QCOMPARE(registered.count(), 2);
    QCOMPARE(fixture.text(5), KeyboardTreeView::queuedText());
    QCOMPARE(fixture.text(6), KeyboardTreeView::queuedText());
    // Showing the category again keeps what is pending.
    fixture.view.reload();
    QCOMPARE(fixture.text(5), KeyboardTreeView::queuedText());
    QCOMPARE(fixture.text(6), KeyboardTreeView::queuedText());
    QCOMPARE(fixture.text(4), KeyboardTreeView::loadingText());

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, Patience);
    QCOMPARE(fixture.memory().areaData(Rhythm, 5), first);
    QCOMPARE(fixture.memory().areaData(Rhythm, 6), second);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.text(5), QStringLiteral("First"), Patience);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.text(6), QStringLiteral("Second"), Patience);
}

void tst_KeyboardTreeView::deletingAreas_data() {
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("deletable");
    QTest::addColumn<QString>("nameBefore");

    QTest::newRow("rhythm") << FirstGeneration << Rhythm << 3 << true << "Doomed";
    QTest::newRow("rhythm, second generation")
        << SecondGeneration << Rhythm << 3 << true << "Doomed";
    QTest::newRow("song") << FirstGeneration << Song << 1 << true << "Half Full";
    QTest::newRow("registration") << FirstGeneration << Registration << 0 << false
                                  << "Registration 1";
}

void tst_KeyboardTreeView::deletingAreas() {
    QFETCH(QString, modelName);
    QFETCH(int, code);
    QFETCH(int, row);
    QFETCH(bool, deletable);
    QFETCH(QString, nameBefore);
    const data::KeyboardInfo* model = data::KeyboardInfo::find(modelName);
    Fixture fixture(modelName, [&](emu::KeyboardMemory& memory) {
        memory.setAreaData(Rhythm, 3, rhythm("Doomed", 2000));
        memory.setAreaData(Song, 1, song(model, 1, 3000));
    });
    const QByteArray before = fixture.memory().areaData(code, row);
    fixture.view.reload(category(code));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.text(row), nameBefore, Patience);
    QSignalSpy registered(&fixture.view, &KeyboardTreeView::newCommandRegistered);
    QSignalSpy deleted(&fixture.view, &KeyboardTreeView::areaDeleteFinished);
    QSignalSpy errors(&fixture.view, &KeyboardTreeView::notifyError);
    fixture.select(row);

    // What the trash looks at before it hands the drop back.
    std::unique_ptr<data::MimeData> dragged(fixture.view.createDragData());
    QVERIFY(dragged);
    QCOMPARE(dragged->category(), category(code));
    QCOMPARE(dragged->areaNumbers(), QList<int>{row});
    QCOMPARE(dragged->isDeletable(), deletable);

    fixture.view.sendToTrash();

    if (!deletable) {
        QCOMPARE(registered.count(), 0);
        QCOMPARE(fixture.text(row), nameBefore);
        QTest::qWait(200);
        QCOMPARE(fixture.memory().areaData(code, row), before);
        return;
    }
    QCOMPARE(registered.count(), 1);
    QCOMPARE(fixture.text(row), KeyboardTreeView::queuedText());
    // A second request while the first is pending adds nothing.
    fixture.view.clearSelectedArea();
    QCOMPARE(registered.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(deleted.count(), 1, Patience);
    QVERIFY(!fixture.memory().isAreaUsed(code, row));
    QCOMPARE(fixture.memory().areaData(code, row), model->emptyData(code, row));
    QTRY_VERIFY_WITH_TIMEOUT(fixture.isSettled(row), Patience);
    QCOMPARE(fixture.text(row), QString());
    QCOMPARE(errors.count(), 0);
}

void tst_KeyboardTreeView::songSendDisablesCancel_data() {
    QTest::addColumn<QString>("modelName");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("disables");

    QTest::newRow("song, follow-up not skipped") << SongFollowUpModel << Song << 1;
    QTest::newRow("song, follow-up skipped") << FirstGeneration << Song << 0;
    QTest::newRow("song, second generation") << SecondGeneration << Song << 0;
    QTest::newRow("rhythm, follow-up not skipped") << SongFollowUpModel << Rhythm << 0;
}

void tst_KeyboardTreeView::songSendDisablesCancel() {
    QFETCH(QString, modelName);
    QFETCH(int, code);
    QFETCH(int, disables);
    data::KeyboardInfo::setCurrentModel(data::KeyboardInfo::find(modelName));
    KeyboardTreeView view;
    view.reload(category(code));
    QSignalSpy cancelDisable(&view, &KeyboardTreeView::commandCancelDisableRequired);
    QSignalSpy started(&view, &KeyboardTreeView::commandStarted);

    view.onStartBulkSend(QVariant::fromValue(
        comm::BulkSendCommandInfo{QStringLiteral("Sending \"A.CMS\""), code, 0}));

    QCOMPARE(cancelDisable.count(), disables);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.first().first().toString(), QStringLiteral("Sending \"A.CMS\""));
}

void tst_KeyboardTreeView::deadKeyboardGivesUpWithoutFreezing() {
    // The keyboard takes nothing in: every read waits out its full time-out.
    emu::FaultPlan silent;
    silent.silentAfter = 0;
    Fixture fixture(FirstGeneration, {}, silent);
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));
    QElapsedTimer clock;
    qint64 lastBeat = 0;
    qint64 longestPause = 0;
    int beats = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestPause = std::max(longestPause, now - lastBeat);
        lastBeat = now;
        ++beats;
    });
    clock.start();
    heartbeat.start(20);

    fixture.view.reload(category(Rhythm));

    const int timeout =
        (KeyboardTreeView::MaxRetries + 4) * comm::AbstractCommand::DefaultReplyTimeoutMs;
    QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 1, timeout);
    QCOMPARE(boxes.seen().first().text, QStringLiteral("Communication Error"));
    // Rows that were waiting show the failure; nothing waits to be read.
    QTRY_COMPARE_WITH_TIMEOUT(fixture.text(0), KeyboardTreeView::errorText(), Patience);
    QVERIFY(
        !fixture.wired.communicator()->hasQueuedCommands(comm::KeyboardCommunicator::MemoryLevel));
    const int last = fixture.view.indexAt(QPoint(0, fixture.view.viewport()->height() - 1)).row();
    QVERIFY(last > 0);
    for (int row = 0; row <= last; ++row)
        QCOMPARE(fixture.text(row), KeyboardTreeView::errorText());
    // The failures still under way end without a second box.
    QTest::qWait(comm::AbstractCommand::DefaultReplyTimeoutMs + 500);
    QCOMPARE(boxes.seen().size(), 1);
    for (int row = 0; row <= last; ++row)
        QCOMPARE(fixture.text(row), KeyboardTreeView::errorText());

    // The window went on handling events all along: it never sat in a wait
    // for a reply (a wait would show as a pause as long as the time-out).
    QVERIFY(beats > 0);
    QVERIFY2(longestPause < comm::AbstractCommand::DefaultReplyTimeoutMs / 2,
             qPrintable(QStringLiteral("event loop stood still for %1 ms").arg(longestPause)));
}

QTEST_MAIN(tst_KeyboardTreeView)
#include "tst_KeyboardTreeView.moc"
