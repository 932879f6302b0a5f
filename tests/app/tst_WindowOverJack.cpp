// The window as a user meets it: the keyboard program on a private JACK
// server, found by the port search, a PC file sent to an empty area by a
// drop, and the area received back into a file by a drop on the PC list.
#include "app/CommandProgressIndicator.h"
#include "app/MainWindow.h"
#include "app/MessageDialog.h"
#include "data/DataCategory.h"
#include "data/MimeData.h"
#include "data/RhythmDataCategory.h"
#include "etc/Settings.h"
#include "gui/DataCategoryComboBox.h"
#include "gui/KeyboardTreeView.h"
#include "gui/PcTreeView.h"

#include "ModalBoxWatcher.h"
#include "tests/cli/ItemFiles.h"
#include "tests/support/JackServer.h"
#include "tests/support/ViewDrop.h"

#include <QDir>
#include <QDropEvent>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <memory>

using namespace zel::qmix;

namespace {

constexpr int WaitMs = 20000;

template <class T> T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(found);
    return found;
}

} // namespace

class tst_WindowOverJack : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sendAndReceiveByDragAndDrop();

private:
    bool waitUntilIdle(gui::MainWindow& window);

    testsupport::JackServer server_{QStringLiteral("th-window-test")};
    QProcess keyboard_;
    QTemporaryDir work_;
};

void tst_WindowOverJack::initTestCase() {
    if (!testsupport::JackServer::isInstalled())
        QSKIP("jackd is not installed");
    gui::MessageDialog::create();
    QString error;
    QVERIFY2(server_.start(&error), qPrintable(error));
    keyboard_.setReadChannel(QProcess::StandardOutput);
    keyboard_.start(QStringLiteral(TH_KEYBOARD_PROGRAM),
                    {QStringLiteral("--model"), QStringLiteral("PRV-2100")});
    bool ready = keyboard_.waitForStarted(WaitMs);
    while (ready && !keyboard_.canReadLine())
        ready = keyboard_.waitForReadyRead(WaitMs);
    QVERIFY2(ready && keyboard_.readLine() == "READY\n",
             keyboard_.readAllStandardError().constData());
}

void tst_WindowOverJack::cleanupTestCase() {
    if (keyboard_.state() != QProcess::NotRunning) {
        ::kill(pid_t(keyboard_.processId()), SIGTERM);
        if (!keyboard_.waitForFinished(WaitMs))
            keyboard_.kill();
    }
    server_.stop();
}

bool tst_WindowOverJack::waitUntilIdle(gui::MainWindow& window) {
    auto* indicator = child<gui::CommandProgressIndicator>(window, "commandProgressIndicator");
    return QTest::qWaitFor([&] { return indicator->isVisible(); }, WaitMs) &&
           QTest::qWaitFor([&] { return !indicator->isVisible(); }, WaitMs);
}

void tst_WindowOverJack::sendAndReceiveByDragAndDrop() {
    const QString sent = work_.filePath(QStringLiteral("JackBeat.AC7"));
    const QByteArray bytes = ItemFiles::rhythm("JackBeat", 3000, 7);
    QVERIFY(ItemFiles::write(sent, bytes));

    gui::MainWindow window;
    window.show();
    QVERIFY(window.isConnected());
    QCOMPARE(window.windowTitle(), QStringLiteral("TAVRO Tone Harbour 6.1"));

    auto* categories = child<gui::DataCategoryComboBox>(window, "comboBoxNormal");
    const int rhythm = categories->findText(data::RhythmDataCategory::instance()->displayName());
    QVERIFY(rhythm >= 0);
    categories->setCurrentIndex(rhythm);
    auto* keyboard = child<gui::KeyboardTreeView>(window, "keyboardTreeView");
    QStandardItemModel* areas = keyboard->itemModel();
    QVERIFY(areas->rowCount() > 1);
    // The first screen fills with what the keyboard holds.
    QTRY_VERIFY_WITH_TIMEOUT(!areas->index(0, 1).data().toString().startsWith(QLatin1Char('<')),
                             WaitMs);

    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Yes));
    QVERIFY(testsupport::ViewDrop::dropFilesOnRow(keyboard, {QUrl::fromLocalFile(sent)}, 0));
    QVERIFY(waitUntilIdle(window));
    QTRY_COMPARE_WITH_TIMEOUT(areas->index(0, 1).data().toString(), QStringLiteral("JackBeat"),
                              WaitMs);

    auto* pcList = child<gui::PcTreeView>(window, "pcTreeView");
    data::MimeData dragged;
    dragged.setSourceView(keyboard);
    dragged.setCategory(data::RhythmDataCategory::instance());
    dragged.setAreaNumbers({keyboard->areaNumberOf(0)});
    QVERIFY(testsupport::ViewDrop::dragAndDrop(pcList->viewport(), &dragged,
                                               pcList->viewport()->rect().center()));
    QVERIFY(waitUntilIdle(window));
    const QString received = QDir(etc::Settings::instance()->mainDataDirectory())
                                 .filePath(QStringLiteral("JackBeat.AC7"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(received), WaitMs);
    QCOMPARE(ItemFiles::read(received), bytes);
    QVERIFY2(boxes.seen().isEmpty(),
             boxes.seen().isEmpty() ? "" : qPrintable(boxes.seen().first().text));
}

QTEST_MAIN(tst_WindowOverJack)
#include "tst_WindowOverJack.moc"
