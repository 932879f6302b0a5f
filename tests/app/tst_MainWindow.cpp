#include "app/CommandProgressIndicator.h"
#include "app/DesktopProgram.h"
#include "app/MainWindow.h"
#include "app/MessageDialog.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "data/RhythmDataCategory.h"
#include "etc/MultipleRunDetector.h"
#include "etc/Settings.h"
#include "file/AbstractFile.h"
#include "file/CardAudioControlFile.h"
#include "file/CategoryFiles.h"
#include "gui/DataCategoryComboBox.h"
#include "gui/DataPackageContentsTreeView.h"
#include "gui/KeyboardTreeView.h"
#include "gui/ReloadButton.h"

#include "ModalBoxWatcher.h"
#include "tests/comm/TransferKeyboard.h"
#include "tests/support/ViewDrop.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <memory>

using zel::qmix::comm::PortChoice;
using zel::qmix::data::KeyboardInfo;
using zel::qmix::data::RhythmDataCategory;
using zel::qmix::gui::CommandProgressIndicator;
using zel::qmix::gui::MainWindow;
using zel::qmix::gui::MessageDialog;

namespace {

const QString PortName = QStringLiteral("Window Test Keyboard");
const QString Title = QStringLiteral("TAVRO Tone Harbour 6.1");

std::unique_ptr<TransferKeyboard> plugKeyboard(const QString& model = QStringLiteral("PRV-3200")) {
    return std::make_unique<TransferKeyboard>(PortName, KeyboardInfo::find(model));
}

std::unique_ptr<MainWindow> openWindow() {
    return std::make_unique<MainWindow>(PortChoice::matching(PortName, PortName));
}

template <class T> T* child(MainWindow& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(found);
    return found;
}

QStringList keyboardNames(MainWindow& window) {
    QStringList names;
    for (const char* name :
         {"labelKeyboardName", "labelBackupKeyboardName", "labelPackageKeyboardName"})
        names << child<QLabel>(window, name)->text();
    return names;
}

// Starts a batch of one command on the window's progress strip, as a transfer does.
CommandProgressIndicator* beginWork(MainWindow& window) {
    auto* indicator = child<CommandProgressIndicator>(window, "commandProgressIndicator");
    indicator->incrementCommandCountMax();
    indicator->start(QStringLiteral("Sending \"Song.CMS\""));
    return indicator;
}

QString writeRhythm(const QString& path, int area) {
    const auto* rhythm = RhythmDataCategory::instance();
    const KeyboardInfo* model = KeyboardInfo::currentModel();
    QSharedPointer<zel::qmix::file::AbstractFile> item =
        zel::qmix::file::CategoryFiles::createFile(rhythm);
    item->setData(model->emptyData(rhythm->id(), model->areaOffset(rhythm) + area));
    return item->save(path) == 0 ? path : QString();
}

} // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void connectionState_data();
    void connectionState();
    void reloadButton_data();
    void reloadButton();
    void plugNotificationsReconnectOnce4sAfterTheLast();
    void unplugDuringWorkIsCheckedWhenTheWorkEnds();
    void closingWhileWorking_data();
    void closingWhileWorking();
    void secondCopyReportsAlreadyRunning();
    void everyControlHasAnAccessibleName();
    void typingAFolderPathStoresOnlyWhatIsUsable();
    void backupFromTheBackupTab();
    void closingWithAChangedPackage_data();
    void closingWithAChangedPackage();
    void storedCardFolder_data();
    void storedCardFolder();

private:
    QTemporaryDir runtime_;
};

void tst_MainWindow::initTestCase() {
    // A runtime folder of its own: a copy of the program running on this
    // machine holds the lock in the user's.
    QVERIFY(runtime_.isValid());
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    MessageDialog::create();
}

void tst_MainWindow::connectionState_data() {
    QTest::addColumn<bool>("keyboardPresent");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("name");
    QTest::newRow("keyboard") << true << Title << QStringLiteral("PRV-3200");
    QTest::newRow("no keyboard") << false << Title + QStringLiteral(" <Disconnected>")
                                 << QStringLiteral("<Disconnected>");
}

void tst_MainWindow::connectionState() {
    QFETCH(bool, keyboardPresent);
    QFETCH(QString, title);
    QFETCH(QString, name);
    std::unique_ptr<TransferKeyboard> keyboard;
    if (keyboardPresent)
        keyboard = plugKeyboard();
    auto window = openWindow();
    QCOMPARE(window->isConnected(), keyboardPresent);
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(keyboardNames(*window), QStringList({name, name, name}));
    for (const char* widget :
         {"widgetTransferKeyboard", "widgetBackupKeyboard", "widgetBackupSendReceive",
          "widgetPackageTransferKeyboard", "widgetPackageTransferSend"})
        QCOMPARE(child<QWidget>(*window, widget)->isEnabled(), keyboardPresent);
}

void tst_MainWindow::reloadButton_data() {
    QTest::addColumn<bool>("connectedFirst");
    QTest::addColumn<bool>("keyboardAtReload");
    QTest::addColumn<bool>("connectedAfter");
    // Connected: the button does not search again, so a keyboard that went
    // silently stays shown until an unplug notification says otherwise.
    QTest::newRow("connected, keyboard gone") << true << false << true;
    QTest::newRow("disconnected, keyboard plugged") << false << true << true;
    QTest::newRow("disconnected, still none") << false << false << false;
}

void tst_MainWindow::reloadButton() {
    QFETCH(bool, connectedFirst);
    QFETCH(bool, keyboardAtReload);
    QFETCH(bool, connectedAfter);
    auto keyboard = connectedFirst ? plugKeyboard() : nullptr;
    auto window = openWindow();
    QCOMPARE(window->isConnected(), connectedFirst);
    keyboard = keyboardAtReload ? plugKeyboard() : nullptr;
    child<zel::qmix::gui::ReloadButton>(*window, "transferReloadButton")->click();
    QCOMPARE(window->isConnected(), connectedAfter);
    QCOMPARE(window->windowTitle().endsWith(QStringLiteral("<Disconnected>")), !connectedAfter);
}

void tst_MainWindow::plugNotificationsReconnectOnce4sAfterTheLast() {
    auto window = openWindow();
    QVERIFY(!window->isConnected());
    auto keyboard = plugKeyboard();
    QSignalSpy titles(window.get(), &QWidget::windowTitleChanged);
    QElapsedTimer sinceLast;
    for (int burst = 0; burst < 3; ++burst) {
        window->devicePluggedEvent();
        sinceLast.start();
        QTest::qWait(300);
    }
    QTest::qWait(MainWindow::PlugReconnectDelayMs - 800 - int(sinceLast.elapsed()));
    QVERIFY(!window->isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(window->isConnected(), 3000);
    QVERIFY(sinceLast.elapsed() >= MainWindow::PlugReconnectDelayMs - 10);
    QTest::qWait(500);
    QCOMPARE(titles.count(), 1);
    QCOMPARE(titles.first().first().toString(), Title);
}

void tst_MainWindow::unplugDuringWorkIsCheckedWhenTheWorkEnds() {
    auto keyboard = plugKeyboard();
    auto window = openWindow();
    window->show();
    QVERIFY(window->isConnected());
    auto* categories = child<zel::qmix::gui::DataCategoryComboBox>(*window, "comboBoxNormal");
    categories->setCurrentIndex(
        categories->findText(RhythmDataCategory::instance()->displayName()));
    auto* areas = child<zel::qmix::gui::KeyboardTreeView>(*window, "keyboardTreeView");
    QTRY_VERIFY(areas->itemModel()->rowCount() > 5);

    QTemporaryDir folder;
    QList<QUrl> files;
    for (int i = 0; i < 5; ++i)
        files << QUrl::fromLocalFile(
            writeRhythm(folder.filePath(QStringLiteral("Beat%1.AC7").arg(i)), i));
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));
    auto* indicator = child<CommandProgressIndicator>(*window, "commandProgressIndicator");
    QVERIFY(zel::qmix::testsupport::ViewDrop::dropFilesOnRow(areas, files, 0));
    QTRY_VERIFY(indicator->isVisible());
    // The keyboard is pulled out while the sends run.
    keyboard.reset();
    window->deviceUnpluggedEvent();
    QVERIFY(window->isConnected());
    // The failed send and the view's own retries run into their reply
    // time-outs first; the rest of the batch is then cancelled at once.
    QTRY_VERIFY_WITH_TIMEOUT(!window->isConnected(), 120000);
    QVERIFY(window->windowTitle().endsWith(QStringLiteral("<Disconnected>")));
    QTest::qWait(500);
    int communicationErrors = 0;
    for (const ModalBoxWatcher::SeenBox& box : boxes.seen())
        communicationErrors += box.text == QStringLiteral("Communication Error") ? 1 : 0;
    QVERIFY(communicationErrors <= 1);
    QCOMPARE(boxes.seen().size(), communicationErrors);
    // Still usable: the keyboard comes back and a reload finds it.
    keyboard = plugKeyboard();
    child<zel::qmix::gui::ReloadButton>(*window, "transferReloadButton")->click();
    QVERIFY(window->isConnected());
    QVERIFY(!indicator->isVisible());
}

void tst_MainWindow::closingWhileWorking_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
}

void tst_MainWindow::closingWhileWorking() {
    QFETCH(int, answer);
    QFETCH(bool, closes);
    auto keyboard = plugKeyboard();
    auto window = openWindow();
    window->show();
    CommandProgressIndicator* indicator = beginWork(*window);
    QSignalSpy cancels(indicator, &CommandProgressIndicator::cancelRequested);
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::StandardButton(answer)));
    QCOMPARE(window->close(), closes);
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().first().text, QStringLiteral("Exit?"));
    QCOMPARE(cancels.count(), closes ? 1 : 0);
    QCOMPARE(indicator->isVisible(), !closes);
}

void tst_MainWindow::secondCopyReportsAlreadyRunning() {
    zel::qmix::etc::MultipleRunDetector firstCopy;
    QVERIFY(!firstCopy.alreadyRunning());
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));
    const int status = zel::qmix::gui::DesktopProgram().run({QStringLiteral("toneharbour")});
    QCOMPARE(status, zel::qmix::gui::DesktopProgram::AlreadyRunningStatus);
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().first().text, QStringLiteral("Already Running"));
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<MainWindow*>(widget));
}

void tst_MainWindow::everyControlHasAnAccessibleName() {
    auto keyboard = plugKeyboard();
    auto window = openWindow();
    window->show();
    QStringList unnamed;
    const auto isControl = [](QWidget* widget) {
        if (auto* label = qobject_cast<QLabel*>(widget))
            return !label->pixmap().isNull();
        return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
               qobject_cast<QComboBox*>(widget) || qobject_cast<QLineEdit*>(widget) ||
               qobject_cast<QProgressBar*>(widget) || qobject_cast<QTabWidget*>(widget);
    };
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        // Parts of composite widgets (scroll bars, the combo box's list) are
        // named by the widgets they belong to.
        if (!isControl(widget) || widget->objectName().isEmpty() ||
            widget->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << widget->objectName();
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1String(", "))));
    auto* tabs = child<QTabWidget>(*window, "tabWidgetMain");
    QStringList titles;
    for (int index = 0; index < tabs->count(); ++index)
        titles << tabs->tabText(index);
    QCOMPARE(titles, QStringList({"Transfer", "Backup", "Package Edit", "Package Transfer", "Audio",
                                  "Preference"}));
}

void tst_MainWindow::typingAFolderPathStoresOnlyWhatIsUsable() {
    auto window = openWindow();
    QTemporaryDir base;
    const QString stored = zel::qmix::etc::Settings::instance()->mainDataDirectory();
    auto* field = child<QLineEdit>(*window, "lineEditPcDirectory");
    field->clear();
    QCOMPARE(zel::qmix::etc::Settings::instance()->mainDataDirectory(), stored);
    QTest::keyClicks(field, QStringLiteral("Music"));
    QCOMPARE(zel::qmix::etc::Settings::instance()->mainDataDirectory(), stored);
    field->clear();
    const QString typed = base.filePath(QStringLiteral("MyData"));
    QTest::keyClicks(field, typed);
    QCOMPARE(zel::qmix::etc::Settings::instance()->mainDataDirectory(), typed);
    // No folder for any of the paths on the way.
    QCOMPARE(QDir(base.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!QFileInfo::exists(QStringLiteral("Music")));
}

void tst_MainWindow::backupFromTheBackupTab() {
    QTemporaryDir data;
    zel::qmix::etc::Settings::instance()->setMainDataDirectory(data.path());
    auto keyboard = plugKeyboard();
    auto window = openWindow();
    window->show();
    QVERIFY(window->isConnected());
    auto* tabs = child<QTabWidget>(*window, "tabWidgetMain");
    auto* backupPage = child<QWidget>(*window, "tabBackup");
    auto* packageSendPage = child<QWidget>(*window, "tabPackageTransfer");
    tabs->setCurrentWidget(backupPage);
    auto* backups = child<QAbstractItemView>(*window, "pcBackupFileTreeView");
    auto* indicator = child<CommandProgressIndicator>(*window, "commandProgressIndicator");
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));

    child<QAbstractButton>(*window, "saveBackupPushButton")->click();

    // Nothing else may start on the keyboard while the whole of it travels.
    QVERIFY(!backupPage->isEnabled());
    QVERIFY(!packageSendPage->isEnabled());
    QVERIFY(!tabs->widget(0)->isEnabled());
    const auto backupsWritten = [&data] {
        return QDir(data.path()).entryList({QStringLiteral("*.AL7")});
    };
    QTRY_VERIFY_WITH_TIMEOUT(!backupsWritten().isEmpty() && !indicator->isVisible(), 60000);
    QVERIFY(backupPage->isEnabled());
    QVERIFY(packageSendPage->isEnabled());
    const QStringList written = backupsWritten();
    QCOMPARE(written.size(), 1);
    QCOMPARE(backups->model()->index(0, 0).data().toString(), written.first());
    QCOMPARE(boxes.seen().size(), 0);
}

void tst_MainWindow::closingWithAChangedPackage_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << false;
    QTest::newRow("no") << int(QMessageBox::No) << true;
    // The save dialog is closed without a name: nothing saved, nothing lost.
    QTest::newRow("yes, save not done") << int(QMessageBox::Yes) << false;
}

void tst_MainWindow::closingWithAChangedPackage() {
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QTemporaryDir data;
    zel::qmix::etc::Settings::instance()->setMainDataDirectory(data.path());
    auto keyboard = plugKeyboard();
    auto window = openWindow();
    window->show();
    child<QTabWidget>(*window, "tabWidgetMain")
        ->setCurrentWidget(child<QWidget>(*window, "tabPackageEdit"));
    auto* categories = child<QComboBox>(*window, "comboBoxPackage");
    categories->setCurrentIndex(
        categories->findText(RhythmDataCategory::instance()->displayName()));
    auto* contents =
        child<zel::qmix::gui::DataPackageContentsTreeView>(*window, "treeViewPackageContents");
    QTRY_VERIFY2(contents->model() && contents->model()->rowCount() > 1,
                 qPrintable(categories->currentText() + QString::number(categories->count())));
    const QString rhythm = writeRhythm(data.filePath(QStringLiteral("Beat.AC7")), 0);
    QVERIFY(zel::qmix::testsupport::ViewDrop::dropFilesOnRow(contents,
                                                             {QUrl::fromLocalFile(rhythm)}, 0));
    QVERIFY(contents->isModified());

    QTimer saveDialogCloser;
    connect(&saveDialogCloser, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    saveDialogCloser.start(50);
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::StandardButton(answer)));
    QCOMPARE(window->close(), closes);
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().first().text, QStringLiteral("Package Data has Changed.\nSave Changes?"));
    QVERIFY(contents->isModified());
}

void tst_MainWindow::storedCardFolder_data() {
    QTest::addColumn<bool>("present");
    QTest::newRow("card present") << true;
    QTest::newRow("card gone") << false;
}

void tst_MainWindow::storedCardFolder() {
    QFETCH(bool, present);
    QTemporaryDir place;
    const QString card = place.filePath(QStringLiteral("SDCARD"));
    const QString audio = card + QStringLiteral("/MUSICDAT");
    if (present) {
        QVERIFY(QDir().mkpath(audio));
        QCOMPARE(
            zel::qmix::file::CardAudioControlFile().save(audio + QStringLiteral("/TAVROWAV.DIR")),
            0);
    }
    zel::qmix::etc::Settings::instance()->setSdCardDirectory(card);
    auto window = openWindow();
    window->show();
    child<QTabWidget>(*window, "tabWidgetMain")
        ->setCurrentWidget(child<QWidget>(*window, "tabAudio"));

    auto* drives = child<QAbstractButton>(*window, "sdDirSelectButton");
    QCOMPARE(drives->text().contains(QDir::toNativeSeparators(card)), present);
    if (!present)
        QCOMPARE(drives->text(), QStringLiteral("Select  "));
    QCOMPARE(child<QWidget>(*window, "cardAudioTreeViewFrame")->isEnabled(), present);
    QCOMPARE(child<QWidget>(*window, "sdProgressBar")->isVisible(), present);
    // A card that is not there now may be there at the next start.
    QCOMPARE(zel::qmix::etc::Settings::instance()->sdCardDirectory(), card);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_MainWindow.moc"
