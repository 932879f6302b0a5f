// The Backup tab's buttons and keyboard picture, and the package send button,
// against an in-process virtual keyboard.

#include "tests/app/ModalBoxWatcher.h"
#include "tests/comm/TransferKeyboard.h"
#include "tests/support/ViewDrop.h"

#include "app/MessageDialog.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CommandControlSource.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/PortChoice.h"
#include "data/AllDataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "emu/MemoryImage.h"
#include "etc/Settings.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"
#include "file/PackageFile.h"
#include "gui/AllDataReceiveButton.h"
#include "gui/AllDataSendButton.h"
#include "gui/KeyboardEntiretyLabel.h"
#include "gui/PackageDataSendButton.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <memory>

using namespace zel::qmix;
using comm::CommandErrorCode;
using From = TransferKeyboard::From;
using sysex::MessageType;
using testsupport::ViewDrop;

namespace {

constexpr int Rhythm = 36;
constexpr int Patience = 60000;

// Where the progress display's cancel and suspend requests would come from.
class Controls : public QObject {
    Q_OBJECT
signals:
    void cancelRequested();
    void suspendChangeRequested(bool suspended);
};

// A keyboard on the wire with a log of every message, and a communicator
// connected to it; its model is the current one.
struct Station {
    Station(const QString& modelName, const emu::FaultPlan& faults = {},
            const TransferKeyboard::Preparation& prepare = {})
        : keyboard(portName(modelName), data::KeyboardInfo::find(modelName), faults, prepare)
        , communicator(comm::PortChoice::matching(portName(modelName), portName(modelName))) {
        data::KeyboardInfo::setCurrentModel(data::KeyboardInfo::find(modelName));
    }

    static QString portName(const QString& modelName) {
        return QStringLiteral("Whole %1").arg(modelName);
    }

    TransferKeyboard keyboard;
    comm::KeyboardCommunicator communicator;
};

// A native rhythm: "AC07", its length, its name at bytes 10-21, then a pattern.
QByteArray rhythm(const QByteArray& name, int size, int seed) {
    QByteArray data = patternData(size, seed);
    data.replace(0, 4, "AC07");
    qToLittleEndian<qint32>(size, data.data() + 4);
    data.replace(10, 12, name.leftJustified(12, ' ', true));
    return data;
}

TransferKeyboard::Preparation someRhythms() {
    return [](emu::KeyboardMemory& memory) {
        memory.setAreaData(Rhythm, 0, rhythm("Samba", 900, 1));
        memory.setAreaData(Rhythm, 3, rhythm("Polka", 1400, 2));
    };
}

QString backupName(const QString& modelName, const QString& suffix = QString()) {
    return modelName + QLatin1Char('_') + QDate::currentDate().toString(QStringLiteral("yyMMdd")) +
           suffix + QStringLiteral(".AL7");
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// A backup file of the keyboard's memory as `modelName` would have written it.
bool writeBackup(const QString& path, const QString& modelName, const emu::KeyboardMemory& memory) {
    const data::KeyboardInfo* current = data::KeyboardInfo::currentModel();
    data::KeyboardInfo::setCurrentModel(data::KeyboardInfo::find(modelName));
    const auto backup = file::CategoryFiles::createFile(data::AllDataCategory::instance());
    backup->setData(emu::MemoryImage::backupImage(memory));
    const bool saved = backup->save(path) == file::FileOk;
    data::KeyboardInfo::setCurrentModel(const_cast<data::KeyboardInfo*>(current));
    return saved;
}

// Presses `answer` on a question and OK on any other box.
ModalBoxWatcher::Action answering(QMessageBox::StandardButton answer) {
    return [answer](QMessageBox* box) {
        ModalBoxWatcher::press(box->button(answer) ? answer : QMessageBox::Ok)(box);
    };
}

// A drag of one file from the program's own PC list.
std::unique_ptr<data::MimeData> fileDrag(const QString& path) {
    auto drag = std::make_unique<data::MimeData>();
    drag->setUrls({QUrl::fromLocalFile(path)});
    return drag;
}

} // namespace

class tst_WholeKeyboardButtons : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void backupsOfOneDayGetFreeNames();
    void unwritableFolderStopsTheBackupBeforeTheKeyboard();
    void backupThatCannotFinishWritesNothing_data();
    void backupThatCannotFinishWritesNothing();
    void restore_data();
    void restore();
    void sendButtonsTakeExactlyOneFile_data();
    void sendButtonsTakeExactlyOneFile();
    void packageSend_data();
    void packageSend();

private:
    std::unique_ptr<QTemporaryDir> work;
    QString mainFolder;
};

void tst_WholeKeyboardButtons::initTestCase() {
    gui::MessageDialog::create();
    data::KeyboardInfo::list();
    file::PackageFile::registerMetaType();
    // Only the wire's keyboards may be found; no sound server is asked.
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
}

void tst_WholeKeyboardButtons::init() {
    work = std::make_unique<QTemporaryDir>();
    QVERIFY(work->isValid());
    mainFolder = work->filePath(QStringLiteral("data"));
    etc::Settings::instance()->setMainDataDirectory(mainFolder);
}

void tst_WholeKeyboardButtons::cleanup() {
    work.reset();
}

void tst_WholeKeyboardButtons::backupsOfOneDayGetFreeNames() {
    const QString model = QStringLiteral("PRV-3200");
    Station station(model, {}, someRhythms());
    gui::AllDataReceiveButton button;
    button.setCommunicator(&station.communicator);
    QSignalSpy finished(&button, &gui::AllDataReceiveButton::commandFinished);
    QSignalSpy started(&button, &gui::AllDataReceiveButton::commandStarted);

    for (int backup = 1; backup <= 2; ++backup) {
        button.click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), backup, Patience);
    }

    QCOMPARE(started.first().at(0).toString(), QStringLiteral("Receiving Backup Data"));
    QCOMPARE(filesIn(mainFolder),
             (QStringList{backupName(model, QStringLiteral("(2)")), backupName(model)}));
    int opened = -1;
    const auto saved =
        file::CategoryFiles::openFile(data::AllDataCategory::instance(),
                                      QDir(mainFolder).filePath(backupName(model)), model, &opened);
    QCOMPARE(opened, int(file::FileOk));
    QCOMPARE(saved->data(), emu::MemoryImage::backupImage(station.keyboard.memory()));
}

void tst_WholeKeyboardButtons::unwritableFolderStopsTheBackupBeforeTheKeyboard() {
    // A file where the folder should be: nothing can be created in it, even by root.
    QFile blocker(mainFolder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Station station(QStringLiteral("PRV-1200"));
    gui::AllDataReceiveButton button;
    button.setCommunicator(&station.communicator);
    QSignalSpy registered(&button, &gui::AllDataReceiveButton::newCommandRegistered);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));

    button.click();

    QTRY_COMPARE(watcher.seen().size(), 1);
    QVERIFY(watcher.seen().first().text.contains(QStringLiteral("File Write Error")));
    QCOMPARE(registered.size(), 0);
    QCOMPARE(station.keyboard.count(From::Program, MessageType::IPR), 0);
}

void tst_WholeKeyboardButtons::backupThatCannotFinishWritesNothing_data() {
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QString>("box");
    QTest::newRow("cancelled") << true << QString();
    // The folder taken away while the keyboard sends: nothing may land elsewhere.
    QTest::newRow("folder gone") << false << "File Write Error";
}

void tst_WholeKeyboardButtons::backupThatCannotFinishWritesNothing() {
    QFETCH(bool, cancelled);
    QFETCH(QString, box);
    // Slow enough to be cancelled half-way.
    emu::FaultPlan slow;
    slow.replyDelayMs = cancelled ? 20 : 0;
    Station station(QStringLiteral("PRV-1200"), slow, someRhythms());
    Controls controls;
    gui::AllDataReceiveButton button;
    button.setCommunicator(&station.communicator);
    button.setCommandControlSource(comm::CommandControlSource::of(
        &controls, &Controls::cancelRequested, &Controls::suspendChangeRequested));
    QSignalSpy progress(&button, &gui::AllDataReceiveButton::commandProgress);
    QSignalSpy finished(&button, &gui::AllDataReceiveButton::commandFinished);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));

    button.click();
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty(), Patience);
    if (cancelled) {
        emit controls.cancelRequested();
    } else {
        QVERIFY(QDir(mainFolder).removeRecursively());
        QFile blocker(mainFolder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }

    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, Patience);
    const auto result = finished.first().at(0).value<comm::BulkReceiveCommandResult>();
    QCOMPARE(result.succeeded, !cancelled);
    if (cancelled)
        QCOMPARE(result.errorCode, int(CommandErrorCode::Canceled));
    QTest::qWait(200);
    QStringList texts;
    for (const ModalBoxWatcher::SeenBox& seen : watcher.seen())
        texts << seen.text;
    QCOMPARE(texts.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(texts.first().contains(box), qPrintable(texts.first()));
    QCOMPARE(filesIn(work->path()), cancelled ? QStringList() : QStringList{"data"});
    if (cancelled)
        QCOMPARE(filesIn(mainFolder), QStringList());
}

void tst_WholeKeyboardButtons::restore_data() {
    QTest::addColumn<QString>("backupModel");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("firstBox");
    QTest::addColumn<bool>("restored");

    const QString question = QStringLiteral("Restore from \"%1\",\nSure?");
    // Refused as the file check words it, before any question.
    QTest::newRow("another model's backup")
        << "PRV-1200"
        << "old.AL7" << false << int(QMessageBox::Yes) << "Error" << false;
    QTest::newRow("question answered No") << "PRV-3200"
                                          << "mine.AL7" << false << int(QMessageBox::No)
                                          << question.arg(QStringLiteral("mine.AL7")) << false;
    QTest::newRow("dropped, upper-case extension, Yes")
        << "PRV-3200"
        << "MINE.AL7" << true << int(QMessageBox::Yes) << question.arg(QStringLiteral("MINE.AL7"))
        << true;
    QTest::newRow("dropped, lower-case extension, Yes")
        << "PRV-3200"
        << "mine.al7" << true << int(QMessageBox::Yes) << question.arg(QStringLiteral("mine.al7"))
        << true;
}

void tst_WholeKeyboardButtons::restore() {
    QFETCH(QString, backupModel);
    QFETCH(QString, fileName);
    QFETCH(bool, dropped);
    QFETCH(int, answer);
    QFETCH(QString, firstBox);
    QFETCH(bool, restored);

    Station station(QStringLiteral("PRV-3200"));
    const emu::KeyboardMemory emptied = station.keyboard.memory();
    Station source(backupModel, {}, someRhythms());
    const emu::KeyboardMemory original = source.keyboard.memory();
    data::KeyboardInfo::setCurrentModel(data::KeyboardInfo::find(QStringLiteral("PRV-3200")));
    const QString path = work->filePath(fileName);
    QVERIFY(writeBackup(path, backupModel, original));

    gui::AllDataSendButton button;
    button.setCommunicator(&station.communicator);
    gui::KeyboardEntiretyLabel picture;
    picture.setBackupMode(true);
    picture.resize(200, 100);
    connect(&picture, &gui::KeyboardEntiretyLabel::backupFileDropped, &button,
            qOverload<QString>(&gui::AllDataSendButton::beginAllDataSend));
    QSignalSpy registered(&button, &gui::AllDataSendButton::newCommandRegistered);
    QSignalSpy finished(&button, &gui::AllDataSendButton::commandFinished);
    ModalBoxWatcher watcher(answering(QMessageBox::StandardButton(answer)));

    if (dropped) {
        const auto drag = fileDrag(path);
        QVERIFY(ViewDrop::dragAndDrop(&picture, drag.get()));
    } else {
        button.setSendFilePath({path});
        button.click();
    }

    QTRY_VERIFY(!watcher.seen().isEmpty());
    const ModalBoxWatcher::SeenBox& first = watcher.seen().first();
    QVERIFY2((first.title + first.text).contains(firstBox), qPrintable(first.text));
    QCOMPARE(registered.size(), restored ? 1 : 0);
    if (restored) {
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, Patience);
        QCOMPARE(finished.first().at(0).value<comm::BulkSendCommandResult>().errorCode, 0);
        QVERIFY(station.keyboard.memory() == original);
    } else {
        QVERIFY(station.keyboard.memory() == emptied);
    }
    QCOMPARE(watcher.seen().size(), 1);
}

void tst_WholeKeyboardButtons::sendButtonsTakeExactlyOneFile_data() {
    QTest::addColumn<QStringList>("selection");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("none") << QStringList() << false;
    QTest::newRow("one") << QStringList{"/tmp/a"} << true;
    QTest::newRow("two") << QStringList{"/tmp/a", "/tmp/b"} << false;
}

void tst_WholeKeyboardButtons::sendButtonsTakeExactlyOneFile() {
    QFETCH(QStringList, selection);
    QFETCH(bool, enabled);
    gui::AllDataSendButton restore;
    gui::PackageDataSendButton package;
    restore.setSendFilePath({"/tmp/before"});
    package.fileSelected({"/tmp/before"});

    restore.setSendFilePath(selection);
    package.fileSelected(selection);

    QCOMPARE(restore.isEnabled(), enabled);
    QCOMPARE(package.isEnabled(), enabled);
    QCOMPARE(package.selectedPath().isEmpty(), !enabled);
}

void tst_WholeKeyboardButtons::packageSend_data() {
    QTest::addColumn<QString>("packageModel");
    QTest::addColumn<bool>("refusing");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("arrived");
    QTest::addColumn<QList<int>>("lostBlocks");

    QTest::newRow("all arrive") << "PRV-3200" << false << QString() << 3 << QList<int>{};
    QTest::newRow("another model's package")
        << "PRV-1200" << false << "File Format Error" << 0 << QList<int>{};
    QTest::newRow("a failed element cancels the rest")
        << "PRV-3200" << true << "" << 0 << QList<int>{};
    // Blocks 1 and 2 carry the picture: the fourth is the first area's second.
    QTest::newRow("a lost block shows when the series closes")
        << "PRV-3200" << false << "Communication Error" << 2 << QList<int>{4};
}

void tst_WholeKeyboardButtons::packageSend() {
    QFETCH(QString, packageModel);
    QFETCH(bool, refusing);
    QFETCH(QString, box);
    QFETCH(int, arrived);
    QFETCH(QList<int>, lostBlocks);

    emu::FaultPlan faults;
    if (refusing)
        faults.rejectAcks = emu::Occurrences::every();
    Station station(QStringLiteral("PRV-3200"), faults);
    station.keyboard.loseFromProgram([lostBlocks](int type, int occurrence) {
        return type == MessageType::HBS && lostBlocks.contains(occurrence);
    });
    QList<QByteArray> rhythms;
    file::PackageFile package(packageModel);
    for (int area = 0; area < 3; ++area) {
        rhythms.append(rhythm("Pack" + QByteArray::number(area), 500 + 100 * area, area));
        const QString path = work->filePath(QStringLiteral("r%1.AC7").arg(area));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(rhythms.last());
        file.close();
        package.setFile(QStringLiteral("RHYTHM"), area, path);
    }
    const QString packagePath = work->filePath(QStringLiteral("three.PK7"));
    QVERIFY(package.save(packagePath));

    Controls controls;
    gui::PackageDataSendButton button;
    button.setCommunicator(&station.communicator);
    button.setCommandControlSource(comm::CommandControlSource::of(
        &controls, &Controls::cancelRequested, &Controls::suspendChangeRequested));
    QSignalSpy registered(&button, &gui::PackageDataSendButton::newCommandRegistered);
    QSignalSpy finished(&button, &gui::PackageDataSendButton::commandFinished);
    ModalBoxWatcher watcher(answering(QMessageBox::Yes));

    button.fileSelected({packagePath});
    button.click();

    const bool queued = packageModel == QStringLiteral("PRV-3200");
    QCOMPARE(registered.size(), queued ? 3 : 0);
    if (queued) {
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 3, Patience);
        // A query answers only after the closing commands ran.
        QVERIFY(!station.communicator.modelName().isEmpty());
    }
    int delivered = 0;
    for (int area = 0; area < 3; ++area)
        delivered += station.keyboard.areaData(Rhythm, area) == rhythms.at(area) ? 1 : 0;
    QCOMPARE(delivered, arrived);
    const int closings = station.keyboard.count(From::Program, MessageType::EBS);
    QCOMPARE(closings, arrived + lostBlocks.size() == 3 ? 1 : 0);

    const auto errorTexts = [&watcher] {
        QStringList texts;
        for (const ModalBoxWatcher::SeenBox& seen : watcher.seen()) {
            if (!seen.text.contains(QStringLiteral("Sure?")))
                texts.append(seen.text);
        }
        return texts;
    };
    const int expectedErrors = refusing || !box.isEmpty() ? 1 : 0;
    QTRY_COMPARE(errorTexts().size(), expectedErrors);
    // Nothing more follows.
    QTest::qWait(300);
    const QStringList errors = errorTexts();
    QVERIFY2(errors.size() == expectedErrors, qPrintable(errors.join(QLatin1Char('|'))));
    if (refusing) {
        // One message for the failure; the cancelled rest say nothing.
        const QList<int> codes = [&] {
            QList<int> list;
            for (const QList<QVariant>& finish : finished)
                list.append(finish.at(0).value<comm::BulkSendCommandResult>().errorCode);
            return list;
        }();
        QCOMPARE(codes.count(int(CommandErrorCode::Canceled)), 2);
    } else if (!box.isEmpty()) {
        QVERIFY2(errors.first().contains(box), qPrintable(errors.first()));
    }
}

QTEST_MAIN(tst_WholeKeyboardButtons)
#include "tst_WholeKeyboardButtons.moc"
