#include "app/MainWindow.h"

#include "app/CommandProgressIndicator.h"
#include "app/DataReplaceUserConfirmChecker.h"
#include "app/MessageDialog.h"
#include "comm/CommandControlSource.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/ModelIdentifier.h"
#include "data/AllDataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/Zq21BInfo.h"
#include "etc/DeviceNotifyRegister.h"
#include "etc/Settings.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>

#include <type_traits>

namespace zel::qmix::gui {

namespace {

const char* const WindowTitle = "TAVRO Tone Harbour 6.1";
const char* const DisconnectedMarker = "<Disconnected>";
const char* const WidgetStyle = "Fusion";

etc::Settings& settings() {
    return *etc::Settings::instance();
}

// The path field reports every keystroke: creating each folder on the way
// (or the previous one) would litter the disk with "/home/anna/M",
// "/home/anna/Mu"..., and a relative or empty path would send the data to
// wherever the program was started. Those are not stored; the lists create
// the stored folder when they use it.
bool isUsableFolderPath(const QString& path) {
    return !path.trimmed().isEmpty() && QDir::isAbsolutePath(path);
}

} // namespace

MainWindow::MainWindow(const comm::PortChoice& ports, QWidget* parent)
    : QMainWindow(parent)
    , ui_(std::make_unique<Ui::MainWindow>()) {
    reconnectTimer_.setSingleShot(true);
    // A coarse timer may fire 5 % early, before the keyboard's MIDI interface is up.
    reconnectTimer_.setTimerType(Qt::PreciseTimer);
    deviceNotify_ = new etc::DeviceNotifyRegister(this);
    ui_->setupUi(this);
    replaceChecker_ = new DataReplaceUserConfirmChecker(this);
    communicator_ = new comm::KeyboardCommunicator(ports, this);

    prepareForm();
    // The form's own connections stand from the start, as the form was built
    // with them: the click on New below already makes the package.
    connectFormSignals();
    applySettings();
    reconnect();
    ui_->pcBackupFileTreeView->reload(data::AllDataCategory::instance());
    // An empty package for the model shown.
    ui_->packageNewButton->click();
    ui_->commandProgressIndicator->hide();
    // A widget does not own the style it is given.
    QStyle* style = QStyleFactory::create(QString::fromLatin1(WidgetStyle));
    style->setParent(this);
    for (QWidget* styled : std::initializer_list<QWidget*>{
             ui_->keyboardProgressBar, ui_->packageProgressBar, ui_->sdProgressBar,
             ui_->tabWidgetMain, ui_->tabWidgetMain->tabBar()})
        styled->setStyle(style);
    ui_->tabWidgetMain->setDocumentMode(false);
    // The PC list of the Audio tab ends where the card views end, above the size bar.
    ui_->audioProgressBarSpacer->changeSize(0, ui_->sdProgressBar->sizeHint().height(),
                                            QSizePolicy::Fixed, QSizePolicy::Fixed);

    connectWindowSignals();
    connectCommandSources();
    selectStoredCardFolder();
    connectPreferences();
    showRevision();

    emit constructed();
    emitModeTransitionedSignal(ui_->tabWidgetMain->currentWidget());
}

MainWindow::~MainWindow() {
    storeWindowSize();
    // The widgets go after this part of the window: what they signal while
    // they go must not reach it.
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
    stopKeyboardWork();
}

void MainWindow::stopKeyboardWork() {
    // A running command holds the views' checkers, which go with the views:
    // it is told to stop, a question it may wait on is answered No, and the
    // communicator ends its thread before any view goes.
    communicator_->clearQueuedCommands();
    ui_->commandProgressIndicator->requestCancelWithoutConfirm();
    MessageDialog::refuseReplaceQuestions(true);
    delete communicator_;
    communicator_ = nullptr;
    MessageDialog::refuseReplaceQuestions(false);
}

QString MainWindow::disconnectedTitle() {
    return QString::fromLatin1(WindowTitle) + QLatin1Char(' ') +
           QString::fromLatin1(DisconnectedMarker);
}

void MainWindow::prepareForm() {
    DataPackageContentsTreeView* contents = ui_->treeViewPackageContents;
    ui_->comboBoxPackage->setModelSource([contents]() -> const data::KeyboardInfo* {
        return data::KeyboardInfo::find(contents->package().modelName());
    });
    setAudioModeArrowMarkPos();
    setWindowTitle(QString::fromLatin1(WindowTitle));
    ui_->tabWidgetMain->setCurrentWidget(ui_->tabTransfer);
    ui_->tabWidgetPackage->setCurrentWidget(ui_->tabPackageCurrent);
    ui_->backupDataKeyboardLabel->setBackupMode(true);
    ui_->packageDataKeyboardLabel->setBackupMode(false);
    const QIcon toPc(QStringLiteral(":/images/left.png"));
    const QIcon toKeyboard(QStringLiteral(":/images/right.png"));
    ui_->audioLeftLabel->setPixmap(toPc.pixmap(32));
    ui_->audioRightLabel->setPixmap(toKeyboard.pixmap(32));
    ui_->saveBackupPushButton->setIcon(toPc);
    ui_->loadBackupPushButton->setIcon(toKeyboard);
    ui_->sendPackageButton->setIcon(toKeyboard);
    const QIcon package(QStringLiteral(":/images/package.png"));
    for (QToolButton* button : {ui_->packageNewButton, ui_->toolButton_6, ui_->toolButton_5})
        button->setIcon(package);

    ui_->keyboardTreeView->setCommunicator(communicator_);
    ui_->keyboardTreeView->setReplaceChecker(replaceChecker_);
    ui_->pcTreeView->setCommunicator(communicator_);
    ui_->pcBackupFileTreeView->setCommunicator(communicator_);
    for (AbstractCommandButton* button : std::initializer_list<AbstractCommandButton*>{
             ui_->saveBackupPushButton, ui_->loadBackupPushButton, ui_->sendPackageButton})
        button->setCommunicator(communicator_);
    ui_->pcWaveFileTreeView->setCommunicator(communicator_);
    ui_->cardAudioRecordableTreeView->setCommunicator(communicator_);
    ui_->cardAudioPlayOnlyTreeView->setCommunicator(communicator_);
}

void MainWindow::applySettings() {
    etc::Settings::ensureDirectory(settings().mainDataDirectory());
    etc::Settings::ensureDirectory(settings().waveDataDirectory());
    data::KeyboardInfo* model = data::KeyboardInfo::find(settings().lastConnectedModel());
    data::KeyboardInfo::setCurrentModel(model ? model : data::Zq21BInfo::instance());
    showModelNames(data::KeyboardInfo::currentModel()->modelName().trimmed());
    showKeyboardPictures();
    resize(settings().windowWidth(), settings().windowHeight());
}

void MainWindow::showModelNames(const QString& name) {
    for (QLabel* label :
         {ui_->labelKeyboardName, ui_->labelBackupKeyboardName, ui_->labelPackageKeyboardName})
        label->setText(name);
}

void MainWindow::showKeyboardPictures() {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    ui_->smallKeyboardIcon->setPixmap(QPixmap(model->smallPicture()));
    ui_->backupDataKeyboardLabel->reload();
    ui_->packageDataKeyboardLabel->reload();
}

// --- connection ------------------------------------------------------------

void MainWindow::showError(comm::CommandErrorCode::T newError, QString detail) {
    MessageDialog::requestCommandError(newError, QVariant(detail));
}

bool MainWindow::reconnect(bool /*showMsg*/) {
    return reconnect();
}

bool MainWindow::reconnect() {
    if (ui_->commandProgressIndicator->isVisible()) {
        deferReconnectUntilIdle();
        return true;
    }
    comm::ModelIdentifier identifier(*communicator_, &settings());
    const auto reconnecting = freshCommunicator_ ? comm::ModelIdentifier::Reconnect::Skip
                                                 : comm::ModelIdentifier::Reconnect::First;
    freshCommunicator_ = false;
    if (!identifier.identify(reconnecting)) {
        enterDisconnectedState();
        return false;
    }
    enterConnectedState();
    return true;
}

void MainWindow::deferReconnectUntilIdle() {
    connect(ui_->commandProgressIndicator, &CommandProgressIndicator::hided, this,
            &MainWindow::challengeReconnect, Qt::UniqueConnection);
}

void MainWindow::enterConnectedState() {
    showModelNames(data::KeyboardInfo::currentModel()->modelName().trimmed());
    showKeyboardPictures();
    setKeyboardWidgetsEnabled(true);
    ui_->comboBoxNormal->reload();
    connected_ = true;
}

void MainWindow::enterDisconnectedState() {
    connected_ = false;
    communicator_->disconnectKeyboard();
    setWindowTitle(disconnectedTitle());
    showModelNames(QString::fromLatin1(DisconnectedMarker));
    setKeyboardWidgetsEnabled(false);
    // Without a keyboard the view shows no areas.
    ui_->keyboardTreeView->reload();
}

void MainWindow::setKeyboardWidgetsEnabled(bool enabled) {
    for (QWidget* widget :
         {ui_->widgetTransferKeyboard, ui_->widgetBackupKeyboard, ui_->widgetBackupSendReceive,
          ui_->widgetPackageTransferKeyboard, ui_->widgetPackageTransferSend})
        widget->setEnabled(enabled);
}

void MainWindow::reconnectByReloadButton() {
    if (!connected_)
        challengeReconnect();
}

void MainWindow::challengeReconnect() {
    disconnect(ui_->commandProgressIndicator, &CommandProgressIndicator::hided, this,
               &MainWindow::challengeReconnect);
    const bool unplugChecked = unplugCheckPending_;
    unplugCheckPending_ = false;
    const bool failedMeanwhile = unplugChecked && MessageDialog::releaseCommunicationErrors();
    // A reconnection put off until the work ends leaves the title as it is.
    if (!reconnect() || !connected_)
        return;
    setWindowTitle(QString::fromLatin1(WindowTitle));
    // The keyboard is still there, so the failures were real: told once.
    if (failedMeanwhile)
        MessageDialog::requestCommandError(comm::CommandErrorCode::CommunicationError);
}

void MainWindow::devicePluggedEvent() {
    if (connected_)
        return;
    reconnectTimer_.stop();
    connect(&reconnectTimer_, &QTimer::timeout, this, &MainWindow::challengeReconnect,
            Qt::UniqueConnection);
    reconnectTimer_.setSingleShot(true);
    reconnectTimer_.start(PlugReconnectDelayMs);
}

void MainWindow::deviceUnpluggedEvent() {
    if (!connected_)
        return;
    if (ui_->commandProgressIndicator->isVisible()) {
        // The work under way fails if the keyboard is gone; the check that
        // follows it shows the outcome instead of a box per failure.
        if (!unplugCheckPending_)
            MessageDialog::holdCommunicationErrors();
        unplugCheckPending_ = true;
        deferReconnectUntilIdle();
        return;
    }
    QString name = communicator_->modelName();
    if (!data::KeyboardInfo::find(name))
        enterDisconnectedState();
}

// --- modes -----------------------------------------------------------------

void MainWindow::on_aboutQtButton_clicked() {
    QMessageBox::aboutQt(this);
}

void MainWindow::on_tabWidgetMain_currentChanged(QWidget* page) {
    emitModeTransitionedSignal(page);
}

void MainWindow::emitModeTransitionedSignal(QWidget* page) {
    communicator_->clearQueuedCommands();
    ui_->tabWidgetMain->setFocus();
    if (page == ui_->tabTransfer)
        emit transferModeTransitioned();
    else if (page == ui_->tabBackup)
        emit backupModeTransitioned();
    else if (page == ui_->tabPackageEdit)
        emit packageEditModeTransitioned();
    else if (page == ui_->tabPackageTransfer)
        emit packageTransferModeTransitioned();
    else if (page == ui_->tabAudio)
        emit audioModeTransitioned();
    else if (page == ui_->tabPreference)
        emit preferenceModeTransitioned();
}

void MainWindow::enableBackupMode() {
    ui_->tabBackup->setEnabled(true);
}

void MainWindow::disableBackupMode() {
    ui_->tabBackup->setEnabled(false);
}

void MainWindow::enablePackageTransferMode() {
    ui_->tabPackageTransfer->setEnabled(true);
}

void MainWindow::disablePackageTransferMode() {
    ui_->tabPackageTransfer->setEnabled(false);
}

void MainWindow::cardLoadSucceed() {
    ui_->cardAudioTreeViewFrame->setEnabled(true);
}

void MainWindow::cardLoadFailed() {
    ui_->cardAudioTreeViewFrame->setEnabled(false);
}

void MainWindow::setNormalTextToKeyboardProgressBar() {
    ui_->keyboardProgressBar->setFormat(QStringLiteral("%p% used"));
}

void MainWindow::setErrorTextToKeyoardProgressBar() {
    QProgressBar* bar = ui_->keyboardProgressBar;
    bar->reset();
    bar->setFormat(QStringLiteral("<Error>"));
    bar->setRange(0, 1);
    bar->setValue(0);
}

void MainWindow::setAudioModeArrowMarkPos() {
    QWidget* marks = ui_->audioDirectionMarkWidget;
    const auto place = [marks](QLabel* arrow, QWidget* besideView) {
        const int pixmapWidth = arrow->pixmap().width();
        const int x = qMax(0, (marks->width() - pixmapWidth + 1) / 2);
        const QPoint viewCentre =
            besideView->mapTo(marks->window(), QPoint(0, besideView->height() / 2));
        const int centreInMarks = marks->mapFrom(marks->window(), viewCentre).y();
        arrow->adjustSize();
        arrow->move(x, centreInMarks - arrow->height() / 2);
    };
    place(ui_->audioLeftLabel, ui_->cardAudioRecordableTreeView);
    place(ui_->audioRightLabel, ui_->cardAudioPlayOnlyTreeView);
}

// --- settings ----------------------------------------------------------------

void MainWindow::sdCardDirectoryChanged(QDir dir) {
    // Choosing nothing keeps the card folder stored for the next start.
    if (dir.path().isEmpty())
        return;
    settings().setSdCardDirectory(dir.absolutePath());
    settings().save();
}

void MainWindow::setMainDataDirectory(QString path) {
    if (isUsableFolderPath(path) && settings().setMainDataDirectory(path))
        settings().save();
}

void MainWindow::setWaveDataDirectory(QString path) {
    if (isUsableFolderPath(path) && settings().setWaveDataDirectory(path))
        settings().save();
}

void MainWindow::storeWindowSize() {
    if (isMaximized())
        return;
    settings().setWindowWidth(width());
    settings().setWindowHeight(height());
    settings().save();
}

void MainWindow::showRevision() {
    QFile revision(QStringLiteral(":/revision.txt"));
    QString text;
    if (revision.open(QIODevice::ReadOnly | QIODevice::Text))
        text = QString::fromUtf8(revision.readLine()).trimmed();
    ui_->revisionLabel->setText(QStringLiteral("Revision : ") + text);
}

// --- closing -----------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    // A package that could not be saved keeps the window open.
    if (!ui_->treeViewPackageContents->confirmLeave()) {
        event->ignore();
        return;
    }
    if (!ui_->commandProgressIndicator->isVisible()) {
        event->accept();
        return;
    }
    if (!MessageDialog::confirmExit()) {
        event->ignore();
        return;
    }
    ui_->commandProgressIndicator->requestCancelWithoutConfirm();
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        ui_->retranslateUi(this);
    QMainWindow::changeEvent(event);
}

// --- wiring ------------------------------------------------------------------

void MainWindow::connectWindowSignals() {
    CommandProgressIndicator* indicator = ui_->commandProgressIndicator;
    MainTabWidget* tabs = ui_->tabWidgetMain;
    connect(indicator, &CommandProgressIndicator::hided, replaceChecker_,
            &DataReplaceUserConfirmChecker::clearLastSelected);

    connect(communicator_, &comm::KeyboardCommunicator::newHeavyCommandRegistered, tabs,
            &MainTabWidget::disableTabWithoutCurrent);
    connect(communicator_, &comm::KeyboardCommunicator::newHeavyCommandRegistered, this,
            &MainWindow::disableBackupMode);
    connect(communicator_, &comm::KeyboardCommunicator::newHeavyCommandRegistered, this,
            &MainWindow::disablePackageTransferMode);
    connect(indicator, &CommandProgressIndicator::hided, tabs, &MainTabWidget::enableAllTab);
    connect(indicator, &CommandProgressIndicator::hided, this, &MainWindow::enableBackupMode);
    connect(indicator, &CommandProgressIndicator::hided, this,
            &MainWindow::enablePackageTransferMode);
    connect(indicator, &CommandProgressIndicator::hided, ui_->keyboardTreeView,
            &KeyboardTreeView::clearIgnoreRow);

    KeyboardTreeView* keyboard = ui_->keyboardTreeView;
    connect(keyboard, &KeyboardTreeView::notifyError, this, &MainWindow::showError);
    connect(keyboard, &KeyboardTreeView::notifyCategoryMemoryOk, this,
            &MainWindow::setNormalTextToKeyboardProgressBar);
    connect(keyboard, &KeyboardTreeView::notifyCategoryMemoryError, this,
            &MainWindow::setErrorTextToKeyoardProgressBar);
    connect(keyboard, &KeyboardTreeView::requireCategoryMemoryReset, ui_->keyboardProgressBar,
            &QProgressBar::reset);

    DataPackageContentsTreeView* contents = ui_->treeViewPackageContents;
    connect(contents, &DataPackageContentsTreeView::allReloadRequired, ui_->packageEditReloadButton,
            &QAbstractButton::click);
    connect(contents, &DataPackageContentsTreeView::notifyError, this, &MainWindow::showError);
    connect(ui_->treeViewPackageEditPcFile, &PcTreeView::fileDeleted, contents,
            qOverload<>(&DataPackageContentsTreeView::reload));
    connect(ui_->treeViewPackageEditPcFile, &PcTreeView::fileRenamed, contents,
            qOverload<>(&DataPackageContentsTreeView::reload));

    connectAudioWindowSignals();

    for (ReloadButton* reload :
         {ui_->transferReloadButton, ui_->backupReloadButton, ui_->packageTransferReloadButton})
        connect(reload, &QToolButton::clicked, this, &MainWindow::reconnectByReloadButton);

    connect(this, &MainWindow::transferModeTransitioned, ui_->transferReloadButton,
            &ReloadButton::request);
    connect(this, &MainWindow::backupModeTransitioned, ui_->backupReloadButton,
            &ReloadButton::request);
    connect(this, &MainWindow::packageEditModeTransitioned, ui_->packageEditReloadButton,
            &QAbstractButton::click);
    connect(this, &MainWindow::packageTransferModeTransitioned, ui_->packageTransferReloadButton,
            &ReloadButton::request);
    connect(this, &MainWindow::audioModeTransitioned, ui_->audioReloadButton,
            &QAbstractButton::click);
    connect(this, &MainWindow::audioModeTransitioned, this, &MainWindow::setAudioModeArrowMarkPos);

    connect(tabs, &QTabWidget::currentChanged, this,
            [this, tabs](int index) { on_tabWidgetMain_currentChanged(tabs->widget(index)); });
    connect(ui_->aboutQtButton, &QPushButton::clicked, this, &MainWindow::on_aboutQtButton_clicked);
    if (deviceNotify_) {
        connect(deviceNotify_, &etc::DeviceNotifyRegister::keyboardPlugged, this,
                &MainWindow::devicePluggedEvent);
        connect(deviceNotify_, &etc::DeviceNotifyRegister::keyboardUnplugged, this,
                &MainWindow::deviceUnpluggedEvent);
    }
}

void MainWindow::connectFormSignals() {
    DataCategoryComboBox* normal = ui_->comboBoxNormal;
    connect(normal, &DataCategoryComboBox::currentCategoryChanged, ui_->pcTreeView,
            qOverload<data::const_DataCategory*>(&PcTreeView::reload));
    connect(normal, &DataCategoryComboBox::currentCategoryChanged, ui_->keyboardTreeView,
            qOverload<data::const_DataCategory*>(&KeyboardTreeView::reload));
    connect(ui_->comboBoxPackage, &DataCategoryComboBox::currentCategoryChanged,
            ui_->treeViewPackageEditPcFile,
            qOverload<data::const_DataCategory*>(&PcTreeView::reload));
    connect(this, &MainWindow::constructed, normal,
            qOverload<>(&DataCategoryComboBox::emitCurrentCategoryChangedSignal));
    connect(this, &MainWindow::constructed, ui_->comboBoxPackage,
            qOverload<>(&DataCategoryComboBox::emitCurrentCategoryChangedSignal));

    KeyboardTreeView* keyboard = ui_->keyboardTreeView;
    QProgressBar* memory = ui_->keyboardProgressBar;
    connect(keyboard, &KeyboardTreeView::notifyMemoryDisplayRequired, memory, &QWidget::setVisible);
    connect(keyboard, &KeyboardTreeView::notifyCategoryCurrentMemory, memory,
            &QProgressBar::setValue);
    connect(keyboard, &KeyboardTreeView::notifyCategoryTotalMemory, memory,
            &QProgressBar::setMaximum);
    connect(keyboard, &KeyboardTreeView::areaDeleteFinished, ui_->commandProgressIndicator,
            &CommandProgressIndicator::incrementCommandCountCurrent);

    connect(ui_->transferReloadButton, &ReloadButton::requested, normal,
            qOverload<>(&DataCategoryComboBox::reload));
    connect(ui_->packageEditReloadButton, &QToolButton::clicked, ui_->comboBoxPackage,
            qOverload<>(&DataCategoryComboBox::reload));
    connect(ui_->backupReloadButton, &ReloadButton::requested, ui_->pcBackupFileTreeView,
            qOverload<>(&PcTreeView::reload));
    connect(ui_->packageTransferReloadButton, &ReloadButton::requested,
            ui_->dataPackageFileTreeView, qOverload<>(&DataPackageFileTreeView::reload));

    connectBackupSignals();
    connectPackageSignals();
    connectAudioFormSignals();
}

void MainWindow::connectAudioWindowSignals() {
    WaveFileTreeView* waves = ui_->pcWaveFileTreeView;
    CardAudioRecordableTreeView* recordable = ui_->cardAudioRecordableTreeView;
    CardAudioPlayOnlyTreeView* playOnly = ui_->cardAudioPlayOnlyTreeView;
    connect(playOnly, &CardAudioTreeView::resized, this, &MainWindow::setAudioModeArrowMarkPos);
    connect(waves, &AbstractWaveFileTreeView::notifyError, this, &MainWindow::showError);

    // While rows are dragged, the lists that cannot take them say so.
    const auto disableWhileDragging = [this](auto* source, AbstractTreeView* target) {
        using Source = std::remove_pointer_t<decltype(source)>;
        connect(source, &Source::dragStarted, target, &AbstractTreeView::disable);
        connect(source, &Source::dragEnded, target, &AbstractTreeView::enable);
    };
    disableWhileDragging(recordable, playOnly);
    disableWhileDragging(playOnly, recordable);
    disableWhileDragging(waves, recordable);

    QAbstractButton* reload = ui_->audioReloadButton;
    connect(waves, &AbstractWaveFileTreeView::allReloadRequired, reload, &QAbstractButton::click);
    connect(recordable, &CardAudioTreeView::allReloadRequired, reload, &QAbstractButton::click);
    connect(playOnly, &CardAudioTreeView::allReloadRequired, reload, &QAbstractButton::click);

    connect(recordable, &CardAudioTreeView::cardLoadSucceeded, this, &MainWindow::cardLoadSucceed);
    connect(recordable, &CardAudioTreeView::cardLoadFailed, this, &MainWindow::cardLoadFailed);
    QProgressBar* size = ui_->sdProgressBar;
    connect(playOnly, &CardAudioTreeView::requireAudioSizeReset, size, &QProgressBar::reset);
    connect(playOnly, &CardAudioTreeView::notifyAudioSizeCurrent, size, &QProgressBar::setValue,
            Qt::QueuedConnection);
    connect(playOnly, &CardAudioTreeView::notifyAudioSizeTotal, size, &QProgressBar::setMaximum,
            Qt::QueuedConnection);
}

void MainWindow::connectAudioFormSignals() {
    SdDirSelectToolButton* drives = ui_->sdDirSelectButton;
    WaveFileTreeView* waves = ui_->pcWaveFileTreeView;
    CardAudioRecordableTreeView* recordable = ui_->cardAudioRecordableTreeView;
    CardAudioPlayOnlyTreeView* playOnly = ui_->cardAudioPlayOnlyTreeView;
    connect(drives, qOverload<QString>(&SdDirSelectToolButton::selected), waves,
            qOverload<>(&WaveFileTreeView::reload));
    connect(drives, qOverload<QString>(&SdDirSelectToolButton::selected), drives,
            &SdDirSelectToolButton::setButtonText);
    for (CardAudioTreeView* card : std::initializer_list<CardAudioTreeView*>{recordable, playOnly})
        connect(drives, qOverload<QDir>(&SdDirSelectToolButton::selected), card,
                qOverload<QDir>(&CardAudioTreeView::reload));

    QAbstractButton* reload = ui_->audioReloadButton;
    connect(reload, &QAbstractButton::clicked, waves, qOverload<>(&WaveFileTreeView::reload));
    connect(reload, &QAbstractButton::clicked, recordable, qOverload<>(&CardAudioTreeView::reload));
    connect(reload, &QAbstractButton::clicked, playOnly, qOverload<>(&CardAudioTreeView::reload));
    connect(reload, &QAbstractButton::clicked, drives,
            &SdDirSelectToolButton::selectLastSelectedItem);

    connect(playOnly, &CardAudioTreeView::cardLoadFailed, ui_->sdProgressBar, &QWidget::hide);
    connect(playOnly, &CardAudioTreeView::cardLoadSucceeded, ui_->sdProgressBar, &QWidget::show);
    connect(recordable, &CardAudioRecordableTreeView::columnWidthChanged, playOnly,
            &CardAudioTreeView::setColumnNewWidth);
    connect(playOnly, &CardAudioPlayOnlyTreeView::horizontalScrollBarPosChanged, recordable,
            &CardAudioTreeView::setHorizontalScrollBarPos);
}

void MainWindow::selectStoredCardFolder() {
    SdDirSelectToolButton* drives = ui_->sdDirSelectButton;
    drives->setSdDirToMenu();
    drives->selectSpecifiedPathItem(settings().sdCardDirectory());
    connect(drives, qOverload<QDir>(&SdDirSelectToolButton::selected), this,
            &MainWindow::sdCardDirectoryChanged);
}

void MainWindow::connectBackupSignals() {
    AllDataReceiveButton* receive = ui_->saveBackupPushButton;
    AllDataSendButton* send = ui_->loadBackupPushButton;
    PcTreeView* backups = ui_->pcBackupFileTreeView;
    connect(receive, &AllDataReceiveButton::commandFinished, backups,
            qOverload<>(&PcTreeView::reload));
    connect(backups, &PcTreeView::selected, send, &AllDataSendButton::setSendFilePath);
    connect(backups, &PcTreeView::entiretyKeyboardDropped, receive,
            &AllDataReceiveButton::beginAllDataReceive);
    connect(ui_->backupDataKeyboardLabel, &KeyboardEntiretyLabel::backupFileDropped, send,
            qOverload<QString>(&AllDataSendButton::beginAllDataSend));
}

void MainWindow::connectPackageSignals() {
    DataPackageContentsTreeView* contents = ui_->treeViewPackageContents;
    connect(ui_->comboBoxPackage, &DataCategoryComboBox::currentCategoryChanged, contents,
            qOverload<data::const_DataCategory*>(&DataPackageContentsTreeView::reload));
    connect(ui_->toolButton_5, &QToolButton::clicked, contents, &DataPackageContentsTreeView::save);
    connect(ui_->packageNewButton, &QToolButton::clicked, contents,
            &DataPackageContentsTreeView::initializeWithConfirm);
    connect(ui_->toolButton_6, &QToolButton::clicked, contents,
            &DataPackageContentsTreeView::openFileWithConfirm);
    connect(contents, &DataPackageContentsTreeView::reloaded, ui_->treeViewPackageAllContents,
            &DataPackageAllContentsTreeView::reload);
    QProgressBar* memory = ui_->packageProgressBar;
    connect(contents, &DataPackageContentsTreeView::notifyCategoryCurrentMemory, memory,
            &QProgressBar::setValue);
    connect(contents, &DataPackageContentsTreeView::notifyCategoryTotalMemory, memory,
            &QProgressBar::setMaximum);
    connect(contents, &DataPackageContentsTreeView::notifyMemoryDisplayRequired, memory,
            &QWidget::setVisible);
    connect(contents, &DataPackageContentsTreeView::notifyPackageFileName, ui_->label_5,
            &QLabel::setText);

    PackageDataSendButton* send = ui_->sendPackageButton;
    connect(ui_->packageDataKeyboardLabel, &KeyboardEntiretyLabel::packageFileDropped, send,
            qOverload<QString>(&PackageDataSendButton::beginSend));
    connect(ui_->dataPackageFileTreeView, &DataPackageFileTreeView::selected, send,
            &PackageDataSendButton::fileSelected);
}

void MainWindow::connectCommandSources() {
    CommandProgressIndicator* indicator = ui_->commandProgressIndicator;
    using StartSlot = void (CommandProgressIndicator::*)(QVariant);
    const StartSlot start = qOverload<QVariant>(&CommandProgressIndicator::start);
    const auto countCommands = [this, indicator, start](auto* source,
                                                        StartSlot startSlot = nullptr) {
        using Source = std::remove_pointer_t<decltype(source)>;
        connect(source, &Source::commandStarted, indicator, startSlot ? startSlot : start);
        connect(source, &Source::commandProgress, indicator,
                qOverload<int, int>(&CommandProgressIndicator::setProgressValue));
        connect(source, &Source::commandFinished, indicator,
                &CommandProgressIndicator::incrementCommandCountCurrent);
        connect(source, &Source::newCommandRegistered, indicator,
                &CommandProgressIndicator::incrementCommandCountMax);
    };
    countCommands(ui_->pcTreeView);
    countCommands(ui_->pcBackupFileTreeView);
    countCommands(ui_->keyboardTreeView);
    countCommands(ui_->treeViewPackageContents);
    countCommands(ui_->sendPackageButton);
    countCommands(ui_->pcWaveFileTreeView);
    countCommands(ui_->cardAudioPlayOnlyTreeView);
    countCommands(ui_->cardAudioRecordableTreeView);
    connect(ui_->keyboardTreeView, &KeyboardTreeView::commandCancelDisableRequired, indicator,
            &CommandProgressIndicator::disableCancelButton);
    connect(ui_->sendPackageButton, &PackageDataSendButton::commandCancelDisableRequired, indicator,
            &CommandProgressIndicator::disableCancelButton);
    // A whole-keyboard transfer has one command: its own progress is the total.
    const StartSlot startAlone =
        qOverload<QVariant>(&CommandProgressIndicator::startWithoutTotalProgress);
    countCommands(ui_->saveBackupPushButton, startAlone);
    countCommands(ui_->loadBackupPushButton, startAlone);

    const auto controls =
        comm::CommandControlSource::of(indicator, &CommandProgressIndicator::cancelRequested,
                                       &CommandProgressIndicator::suspendChangeRequested);
    ui_->pcTreeView->setCommandControlSource(controls);
    ui_->pcBackupFileTreeView->setCommandControlSource(controls);
    ui_->keyboardTreeView->setCommandControlSource(controls);
    ui_->saveBackupPushButton->setCommandControlSource(controls);
    ui_->loadBackupPushButton->setCommandControlSource(controls);
    ui_->sendPackageButton->setCommandControlSource(controls);
    ui_->pcWaveFileTreeView->setCommandControlSource(controls);
    ui_->cardAudioRecordableTreeView->setCommandControlSource(controls);
    ui_->cardAudioPlayOnlyTreeView->setCommandControlSource(controls);
}

void MainWindow::connectPreferences() {
    const auto bind = [this](PathLineEdit* line, DirectoryDialogToolButton* browse,
                             void (MainWindow::*store)(QString), const QString& folder) {
        connect(browse, &DirectoryDialogToolButton::gotDirectoryPath, line,
                &PathLineEdit::setPathText);
        connect(line, &PathLineEdit::textChangedOriginal, this, store);
        connect(line, &PathLineEdit::textChangedOriginal, browse,
                &DirectoryDialogToolButton::setDefaultPath);
        line->setPathText(QDir(folder).absolutePath());
    };
    bind(ui_->lineEditPcDirectory, ui_->toolButtonBrowsePcDirectory,
         &MainWindow::setMainDataDirectory, settings().mainDataDirectory());
    bind(ui_->lineEditPcWaveDirectory, ui_->toolButtonBrowsePcWaveDirectory,
         &MainWindow::setWaveDataDirectory, settings().waveDataDirectory());
}

} // namespace zel::qmix::gui
