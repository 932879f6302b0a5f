#include "app/MessageDialog.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/CommandControlSource.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/ScaleDataCategory.h"
#include "emu/KeyboardMemory.h"
#include "etc/Settings.h"
#include "gui/PcTreeView.h"
#include "tests/app/ModalBoxWatcher.h"
#include "tests/gui/support/WiredKeyboard.h"
#include "tests/support/FileSizeLimit.h"

#include "tests/support/ViewDrop.h"

#include <QDataStream>
#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using zel::qmix::comm::BulkReceiveCommandResult;
using zel::qmix::comm::CommandControlSource;
using zel::qmix::data::DataCategory;
using zel::qmix::data::KeyboardInfo;
using zel::qmix::data::MimeData;
using zel::qmix::data::RegistrationDataCategory;
using zel::qmix::data::RhythmDataCategory;
using zel::qmix::data::ScaleDataCategory;
using zel::qmix::emu::KeyboardMemory;
using zel::qmix::etc::Settings;
using zel::qmix::gui::LocalTreeView;
using zel::qmix::gui::MessageDialog;
using zel::qmix::gui::PcTreeView;

// Stands in for the progress display, whose Cancel button stops transfers.
class ProgressStandIn : public QObject {
    Q_OBJECT
signals:
    void cancelRequested();
    void suspendChangeRequested(bool suspended);
};

using zel::qmix::testsupport::ViewDrop;

namespace {

constexpr int RhythmCode = 36;
constexpr int TransferTimeoutMs = 30000;

// A rhythm in the keyboard's own form, its name in the 12-character field.
QByteArray rhythm(const QByteArray& name, int size = 300) {
    QByteArray image(size, '\0');
    for (int i = 8; i < size; ++i)
        image[i] = char((i * 7 + 5) & 0x7F);
    QDataStream out(&image, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("AC07", 4);
    out << qint32(size);
    image.replace(10, 12, name.leftJustified(12, ' ', true));
    return image;
}

void deliverRequests() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// What the keyboard view puts on a drag of some of its areas.
std::unique_ptr<MimeData> areasDrag(const DataCategory* category, const QList<int>& areas) {
    auto drag = std::make_unique<MimeData>();
    drag->setCategory(category);
    drag->setAreaNumbers(areas);
    drag->setDeletable(category->isDeletable());
    return drag;
}

} // namespace

class tst_PcTreeView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listsTheMainDataFolderCreatingIt();
    void receivedAreasAreNamedByTheirDataNames();
    void itemsWithoutNamesAreNamedByModelAndDate_data();
    void itemsWithoutNamesAreNamedByModelAndDate();
    void cancelledReceiveCreatesNothing();
    void failedReceiveIsReportedAndCreatesNothing();
    void unwritableFolderIsReportedBeforeTheKeyboardIsAsked();
    void failedSaveLeavesNoPartialFile();
    void noCommunicatorNoReceive();

private:
    std::unique_ptr<QTemporaryDir> work;
    QString mainFolder;
};

void tst_PcTreeView::initTestCase() {
    MessageDialog::create();
    KeyboardInfo::list();
}

void tst_PcTreeView::init() {
    work = std::make_unique<QTemporaryDir>();
    QVERIFY(work->isValid());
    mainFolder = work->filePath(QStringLiteral("data"));
    Settings::instance()->setMainDataDirectory(mainFolder);
}

void tst_PcTreeView::cleanup() {
    work.reset();
}

void tst_PcTreeView::listsTheMainDataFolderCreatingIt() {
    PcTreeView view;
    QVERIFY(!QFileInfo::exists(mainFolder));

    view.reload(RhythmDataCategory::instance());

    QVERIFY(QFileInfo(mainFolder).isDir());
    QCOMPARE(view.listedDirectory().absolutePath(), QDir(mainFolder).absolutePath());
    QCOMPARE(view.model()->index(0, 0).data().toString(), QStringLiteral("No File"));
}

void tst_PcTreeView::receivedAreasAreNamedByTheirDataNames() {
    const QList<QByteArray> names = {"  Beat  ", "Beat", "a/b:c", "NUL", ".hidden"};
    // Each view is made before its keyboard, so that, as in the window, the
    // keyboard work has ended before the view goes: a view dying while the
    // commands it listens to die on the communication thread would race.
    PcTreeView view;
    WiredKeyboard keyboard(QStringLiteral("PRV-1100"), [&](KeyboardMemory& memory) {
        for (int area = 0; area < names.size(); ++area)
            memory.setAreaData(RhythmCode, area, rhythm(names.at(area), 300 + area));
    });
    view.setCommunicator(keyboard.communicator());
    view.reload(RhythmDataCategory::instance());
    QSignalSpy registered(&view, &LocalTreeView::newCommandRegistered);
    QSignalSpy started(&view, &LocalTreeView::commandStarted);
    QSignalSpy finished(&view, &LocalTreeView::commandFinished);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));

    const auto drag = areasDrag(RhythmDataCategory::instance(), {0, 1, 2, 3, 4});
    QVERIFY(ViewDrop::dragAndDrop(view.viewport(), drag.get()));
    QCOMPARE(registered.size(), 5);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 5, TransferTimeoutMs);
    deliverRequests();

    QCOMPARE(started.size(), 5);
    QCOMPARE(started.first().at(0).toString(), QStringLiteral("Receiving from Rhythm Area 1"));
    QCOMPARE(started.last().at(0).toString(), QStringLiteral("Receiving from Rhythm Area 5"));
    const QDir folder(mainFolder);
    QCOMPARE(filesIn(mainFolder),
             (QStringList{"Beat(2).AC7", "Beat.AC7", "NUL_.AC7", "_hidden.AC7", "a_b_c.AC7"}));
    // Areas are received in the order dragged: the first takes the plain name.
    QCOMPARE(readFile(folder.filePath("Beat.AC7")), keyboard.keyboard().areaData(RhythmCode, 0));
    QCOMPARE(readFile(folder.filePath("Beat(2).AC7")), keyboard.keyboard().areaData(RhythmCode, 1));
    QVERIFY(watcher.seen().isEmpty());
    // The list shows what arrived.
    QCOMPARE(view.model()->rowCount(), 5);
}

void tst_PcTreeView::itemsWithoutNamesAreNamedByModelAndDate_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<const DataCategory*>("category");

    QTest::newRow("scale memory") << "QS-1"
                                  << static_cast<const DataCategory*>(
                                         ScaleDataCategory::instance());
    // A second-generation model: the series of transfers is closed afterwards.
    QTest::newRow("registration") << "PRV-3200"
                                  << static_cast<const DataCategory*>(
                                         RegistrationDataCategory::instance());
}

void tst_PcTreeView::itemsWithoutNamesAreNamedByModelAndDate() {
    QFETCH(QString, model);
    QFETCH(const DataCategory*, category);

    PcTreeView view;
    WiredKeyboard keyboard(model);
    view.setCommunicator(keyboard.communicator());
    QSignalSpy finished(&view, &LocalTreeView::commandFinished);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    const int area = keyboard.model()->areaOffset(category);

    QVERIFY(ViewDrop::dragAndDrop(view.viewport(), areasDrag(category, {area}).get()));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, TransferTimeoutMs);
    deliverRequests();

    const QString expected = model + QLatin1Char('_') +
                             QDate::currentDate().toString(QStringLiteral("yyMMdd")) +
                             category->extension();
    QCOMPARE(filesIn(mainFolder), QStringList{expected});
    QVERIFY(finished.first().at(0).value<BulkReceiveCommandResult>().succeeded);
    QVERIFY(watcher.seen().isEmpty());
}

void tst_PcTreeView::cancelledReceiveCreatesNothing() {
    zel::qmix::emu::FaultPlan slow;
    slow.replyDelayMs = 100;
    ProgressStandIn progress;
    PcTreeView view;
    WiredKeyboard keyboard(
        QStringLiteral("PRV-1100"),
        [](KeyboardMemory& memory) { memory.setAreaData(RhythmCode, 0, rhythm("Beat", 4000)); },
        slow);
    view.setCommunicator(keyboard.communicator());
    view.setCommandControlSource(CommandControlSource::of(
        &progress, &ProgressStandIn::cancelRequested, &ProgressStandIn::suspendChangeRequested));
    QSignalSpy finished(&view, &LocalTreeView::commandFinished);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));

    QVERIFY(ViewDrop::dragAndDrop(view.viewport(),
                                  areasDrag(RhythmDataCategory::instance(), {0}).get()));
    emit progress.cancelRequested();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, TransferTimeoutMs);
    deliverRequests();

    const auto result = finished.first().at(0).value<BulkReceiveCommandResult>();
    QVERIFY(!result.succeeded);
    QCOMPARE(result.errorCode, int(zel::qmix::comm::CommandErrorCode::Canceled));
    QCOMPARE(filesIn(mainFolder), QStringList());
    QVERIFY(watcher.seen().isEmpty());
}

void tst_PcTreeView::failedReceiveIsReportedAndCreatesNothing() {
    zel::qmix::emu::FaultPlan refusing;
    refusing.rejectAcks = zel::qmix::emu::Occurrences::every();
    PcTreeView view;
    WiredKeyboard keyboard(
        QStringLiteral("PRV-1100"),
        [](KeyboardMemory& memory) { memory.setAreaData(RhythmCode, 1, rhythm("Beat")); },
        refusing);
    view.setCommunicator(keyboard.communicator());
    QSignalSpy finished(&view, &LocalTreeView::commandFinished);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));

    QVERIFY(ViewDrop::dragAndDrop(view.viewport(),
                                  areasDrag(RhythmDataCategory::instance(), {1}).get()));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, TransferTimeoutMs);
    deliverRequests();

    QVERIFY(!finished.first().at(0).value<BulkReceiveCommandResult>().succeeded);
    QCOMPARE(filesIn(mainFolder), QStringList());
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("Communication Error"));
}

void tst_PcTreeView::unwritableFolderIsReportedBeforeTheKeyboardIsAsked() {
    WiredKeyboard keyboard(QStringLiteral("PRV-1100"));
    // A file where the folder should be: nothing can be created "in" it, even
    // by a privileged user.
    QVERIFY(QFile(mainFolder).open(QIODevice::WriteOnly));
    Settings::instance()->setMainDataDirectory(mainFolder + QStringLiteral("/inside"));
    PcTreeView view;
    view.setCommunicator(keyboard.communicator());
    QSignalSpy registered(&view, &LocalTreeView::newCommandRegistered);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));

    QVERIFY(ViewDrop::dragAndDrop(view.viewport(),
                                  areasDrag(RhythmDataCategory::instance(), {0, 1}).get()));
    deliverRequests();

    QCOMPARE(registered.size(), 0);
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("File Write Error"));
}

void tst_PcTreeView::failedSaveLeavesNoPartialFile() {
    PcTreeView view;
    view.reload(RhythmDataCategory::instance());
    QSignalSpy finished(&view, &LocalTreeView::commandFinished);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    BulkReceiveCommandResult received;
    received.succeeded = true;
    received.category = RhythmCode;
    received.areaNumber = 0;
    received.data = rhythm("Beat", 8000);
    received.name = QStringLiteral("Beat");
    received.errorCode = 0;
    {
        zel::qmix::testsupport::FileSizeLimit diskFull(1000);
        QVERIFY(diskFull.isActive());
        view.onFinishBulkReceive(QVariant::fromValue(received));
    }
    deliverRequests();

    QCOMPARE(finished.size(), 1);
    QCOMPARE(filesIn(mainFolder), QStringList());
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("File Write Error"));
}

void tst_PcTreeView::noCommunicatorNoReceive() {
    PcTreeView view;
    QSignalSpy registered(&view, &LocalTreeView::newCommandRegistered);
    ViewDrop::dragAndDrop(view.viewport(), areasDrag(RhythmDataCategory::instance(), {0}).get());
    QCOMPARE(registered.size(), 0);

    // Something that is no receive result counts as a cancelled receive:
    // reported on, but no box and no file.
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    QSignalSpy finished(&view, &LocalTreeView::commandFinished);
    view.onFinishBulkReceive(QVariant(42));
    deliverRequests();
    QCOMPARE(finished.size(), 1);
    QVERIFY(watcher.seen().isEmpty());
    QCOMPARE(filesIn(mainFolder), QStringList());
}

QTEST_MAIN(tst_PcTreeView)
#include "tst_PcTreeView.moc"
