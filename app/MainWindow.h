#pragma once

#include "comm/CommandErrorCode.h"
#include "comm/PortChoice.h"

#include <QDir>
#include <QMainWindow>
#include <QTimer>

#include <memory>

namespace Ui {
class MainWindow;
}

namespace zel::qmix::comm {
class KeyboardCommunicator;
}
namespace zel::qmix::etc {
class DeviceNotifyRegister;
}

namespace zel::qmix::gui {

class DataReplaceUserConfirmChecker;

// The program's only window: the six modes as tabs over the views, the link to
// the keyboard, and the connected or disconnected state. It reconnects when
// the keyboard is plugged in (4 s later, so its MIDI interface is up),
// unplugged, or a reload button is pressed while disconnected.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int PlugReconnectDelayMs = 4000;

    // `ports` says how the keyboard is found: by searching every port pair,
    // or by opening the ports whose names match.
    explicit MainWindow(const comm::PortChoice& ports = comm::PortChoice::search(),
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    bool isConnected() const { return connected_; }
    comm::KeyboardCommunicator* communicator() const { return communicator_; }
    static QString disconnectedTitle();

    // Tab changes and the about box; not slots, so that the form's automatic
    // by-name connection never picks them up.
    void on_aboutQtButton_clicked();
    void on_tabWidgetMain_currentChanged(QWidget* page);

signals:
    void constructed();
    void transferModeTransitioned();
    void backupModeTransitioned();
    void packageEditModeTransitioned();
    void packageTransferModeTransitioned();
    void audioModeTransitioned();
    void preferenceModeTransitioned();

public slots:
    void showError(zel::qmix::comm::CommandErrorCode::T newError, QString detail);
    bool reconnect(bool showMsg);
    bool reconnect();
    void sdCardDirectoryChanged(QDir dir);
    void setAudioModeArrowMarkPos();
    void emitModeTransitionedSignal(QWidget* page);
    void setMainDataDirectory(QString path);
    void setWaveDataDirectory(QString path);
    void reconnectByReloadButton();
    void challengeReconnect();
    void devicePluggedEvent();
    void deviceUnpluggedEvent();
    void enableBackupMode();
    void disableBackupMode();
    void enablePackageTransferMode();
    void disablePackageTransferMode();
    void cardLoadSucceed();
    void cardLoadFailed();
    void setNormalTextToKeyboardProgressBar();
    void setErrorTextToKeyoardProgressBar();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void prepareForm();
    void applySettings();
    void showModelNames(const QString& name);
    void showKeyboardPictures();
    void enterConnectedState();
    void enterDisconnectedState();
    void setKeyboardWidgetsEnabled(bool enabled);
    void deferReconnectUntilIdle();
    void connectWindowSignals();
    void connectFormSignals();
    void connectBackupSignals();
    void connectPackageSignals();
    void connectAudioWindowSignals();
    void connectAudioFormSignals();
    void selectStoredCardFolder();
    void connectCommandSources();
    void connectPreferences();
    void showRevision();
    void storeWindowSize();
    void stopKeyboardWork();

    std::unique_ptr<Ui::MainWindow> ui_;
    QTimer reconnectTimer_;
    etc::DeviceNotifyRegister* deviceNotify_ = nullptr;
    DataReplaceUserConfirmChecker* replaceChecker_ = nullptr;
    comm::KeyboardCommunicator* communicator_ = nullptr;
    bool connected_ = false;
    // The communicator connects when it is made; the first connection of the
    // window need not search the ports a second time.
    bool freshCommunicator_ = true;
    // An unplug came while work ran; its check waits for the work to end.
    bool unplugCheckPending_ = false;
};

} // namespace zel::qmix::gui
