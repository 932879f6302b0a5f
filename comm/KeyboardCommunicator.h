#pragma once

#include "comm/CommandConnections.h"
#include "comm/ExpectedArea.h"
#include "comm/OpenSendSeries.h"
#include "comm/PortChoice.h"

#include <QByteArray>

#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QWeakPointer>

#include <atomic>
#include <memory>
#include <mutex>

namespace zel::qmix::midi {
class DeviceHandler;
}

namespace zel::qmix::etc {
class GenericChecker;
}

namespace zel::qmix::comm {

class AbstractCommand;
class CommunicationThread;
struct CategoryMemoryCommandInfo;

// The single entry point to the keyboard: owns the port pair and the
// communication thread, builds each command, wires it to the caller and
// queues it by priority. Construction connects, so it blocks while the ports
// are searched.
class KeyboardCommunicator : public QObject {
    Q_OBJECT
public:
    // Whether a command is one of the long, cancellable transfers that the
    // progress display counts and that cancel each other when one fails.
    enum class Weight { Light, Heavy };

    // Levels of the priority queue, 0 served first.
    static constexpr int ControlLevel = 0;
    static constexpr int QueryLevel = 1;
    static constexpr int MemoryLevel = 3;
    static constexpr int TransferLevel = 4;

    // Searches every candidate port pair for the keyboard.
    explicit KeyboardCommunicator(QObject* parent = nullptr);
    // Connects as chosen; reconnect() uses the same choice.
    explicit KeyboardCommunicator(const PortChoice& ports, QObject* parent = nullptr);
    ~KeyboardCommunicator() override;

    bool isConnected() const;
    void disconnectKeyboard();
    // Drops every queued command unexecuted and silently, then connects anew.
    bool reconnect();

    midi::DeviceHandler* deviceHandler() const { return handler_.get(); }
    const PortChoice& portChoice() const { return ports_; }

    // `slot` receives the name through finished(QString).
    void registerModelNameCommand(const QObject* receiver, const char* slot,
                                  Qt::ConnectionType type = Qt::AutoConnection);

    // Blocks until the keyboard told its model name; "" when it could not.
    QString modelName();

    // Transfers (lowest priority, heavy). A send of music presets becomes the
    // clearing send on models that need it. `lcdPicturePath` empty: the
    // command's own picture, if any.
    void registerBulkSendCommand(int category, int areaNumber, const QByteArray& data,
                                 const QString& title, etc::GenericChecker* checker,
                                 const ExpectedArea& expected,
                                 const CommandConnections& connections,
                                 const QString& lcdPicturePath = QString());
    void registerBulkReceiveCommand(int category, int areaNumber, const QString& title,
                                    const CommandConnections& connections,
                                    const ExpectedArea& expected = ExpectedArea());
    void registerAllDataBulkReceiveCommand(const CommandConnections& connections);
    void registerAllDataBulkSendCommand(const QByteArray& backup, const QString& title,
                                        const CommandConnections& connections);
    // False, queueing nothing, for a category that cannot be deleted.
    bool registerAreaDeleteCommand(int category, int areaNumber, const QString& title,
                                   const CommandConnections& connections);

    // Closing a series of sends (first priority). The end command is queued
    // only when no transfer is queued or running; returns whether it was.
    // Its finished() carries a BulkSendCommandResult: the communication
    // error and the area, when an area of the series was not stored whole.
    bool registerMultipleBulkSendEndCommand(
        int category, int areaNumber, const CommandConnections& connections = CommandConnections());
    // The same with the reply slot checked at compile time.
    bool registerMultipleBulkSendEndCommand(int category, int areaNumber,
                                            const CommandReplies& replies);
    bool registerRejectCommand(int category, int areaNumber);

    // Queries. `slot` receives finished(QVariant).
    void registerAreaDataCommand(int category, int areaNumber, int level, const QObject* receiver,
                                 const char* slot);
    void registerCategoryMemoryCommand(int category, const CategoryMemoryCommandInfo& info,
                                       const QObject* receiver, const char* slot);
    // The same with reply slots checked at compile time.
    void registerAreaDataCommand(int category, int areaNumber, int level,
                                 const CommandReplies& replies);
    void registerCategoryMemoryCommand(int category, const CategoryMemoryCommandInfo& info,
                                       const CommandReplies& replies);
    // False, queueing nothing, for a code that names no category.
    bool registerDataSizesGetCommand(int category, const QObject* receiver, const char* slot,
                                     Qt::ConnectionType type = Qt::AutoConnection);
    // Blocks until the sizes of the category's areas are read; the list ends
    // at the first area that did not answer.
    QList<unsigned> dataSizes(int category);

    // Whether commands wait at the given level (the views hold back memory
    // refreshes while transfers are queued).
    bool hasQueuedCommands(int level) const;
    // Drops the commands waiting at one level unexecuted and silently (the
    // views give up loading that way when the keyboard stops answering);
    // returns how many there were.
    int dropQueuedCommands(int level);
    // Drops every queued command unexecuted and silently, without touching
    // the connection.
    void clearQueuedCommands();

    // Audio files (lowest priority, heavy). They talk to no keyboard, so they
    // run whether one is connected or not. `byteLimit` -1 copies whole files.
    // A plain copy into `destinationFolder` as `requestedName` + `extension`
    // (with its dot), under a free name; progress counts bytes.
    void registerFileCopyCommand(const QString& sourcePath, const QString& destinationFolder,
                                 const QString& requestedName, const QString& extension,
                                 qint64 byteLimit, const QString& title,
                                 const CommandConnections& connections);
    // A WAV file converted into the card's audio folder and entered in its
    // control file; `replacePosition` >= 0 replaces that play-only entry
    // (counted from 0). The progress slot receives progress2(percent, 100).
    void registerWaveFileCopyToSdCommand(const QString& sourcePath, const QString& cardAudioFolder,
                                         int replacePosition, qint64 byteLimit,
                                         const QString& title,
                                         const CommandConnections& connections);
    // A card recording exported to `exportFolder` as a WAV file named after
    // `exportName`; progress as for the import.
    void registerRecordedAudioExportCommand(const QString& sourcePath, const QString& exportName,
                                            const QString& exportFolder, qint64 byteLimit,
                                            const QString& title,
                                            const CommandConnections& connections);

    // Queues a command built by one of the register operations. Heavy
    // commands take part in chain cancellation and are announced through
    // newHeavyCommandRegistered().
    void registerCommand(const QSharedPointer<AbstractCommand>& command, int level,
                         Weight weight = Weight::Light);

    // Wiring helpers for the register operations. Each connection is checked;
    // a failure is a programming error, reported in release builds too.
    static bool connectChecked(const QObject* sender, const char* signal, const QObject* receiver,
                               const char* method, Qt::ConnectionType type = Qt::AutoConnection);
    // The caller's cancel or suspend signal reaches the command even while it
    // runs, and never a command that is already gone.
    void connectCancelSource(const QSharedPointer<AbstractCommand>& command, const QObject* source,
                             const char* signal);
    void connectSuspendSource(const QSharedPointer<AbstractCommand>& command, const QObject* source,
                              const char* signal);
    void connectControlSource(const QSharedPointer<AbstractCommand>& command,
                              const CommandControlSource& controls);

signals:
    void newHeavyCommandRegistered();
    void cancelRequestedFromCommand();

private:
    void start();
    bool connectKeyboard();
    void cancelHeavyCommands();
    QWeakPointer<AbstractCommand> queueModelNameCommand(const QObject* receiver, const char* slot,
                                                        Qt::ConnectionType type);

    std::unique_ptr<midi::DeviceHandler> handler_;
    // Areas of the series left open by second-generation sends.
    std::shared_ptr<OpenSendSeries> openSeries_;
    std::unique_ptr<CommunicationThread> thread_;
    std::atomic<bool> connected_{false};
    PortChoice ports_;
    // Commands that a failing heavy command cancels. Weak, so the list never
    // keeps a finished command alive.
    std::mutex heavyMutex_;
    QList<QWeakPointer<AbstractCommand>> heavyCommands_;
};

} // namespace zel::qmix::comm
