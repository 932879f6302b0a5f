#pragma once

#include "comm/CommandConnections.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

namespace zel::qmix::data {
struct CategoryDescriptor;
}

namespace zel::qmix::file {
class PackageFile;
}

namespace zel::qmix::comm {

class KeyboardCommunicator;

// Checks that a package fits the connected keyboard and queues one send per
// package area, each allowed to overwrite its area without asking. The queued
// sends report to the owner through the connections it gave; problems with
// single areas do not stop the package and are listed for the owner. Runs on
// the GUI thread: the check waits for the keyboard's answers.
class PackageSender : public QObject {
    Q_OBJECT
public:
    enum Result : int {
        Success = 0,
        // The keyboard has another number of song or music-preset areas than
        // its model should.
        AreaCountMismatch = 1,
        SongMemoryFull = 2,
        MusicPresetMemoryFull = 3,
        CannotOpenFile = 4,
        CannotLoadPackage = 5,
        OtherModel = 6,
        NoCommunicator = 7
    };

    // How a result is told to the user: a message type of etc::MessageTexts
    // (NoMessage for success), and whether the package's file name goes with
    // it. Every failure has a message, so nothing unsent looks sent.
    struct ResultMessage {
        int type;
        bool namesFile;
    };
    static ResultMessage messageFor(int result);

    // The picture the keyboard shows while a package area arrives.
    static const char* const LcdPicturePath;

    // `communicator` null: no keyboard connection; every check and send says so.
    explicit PackageSender(KeyboardCommunicator* communicator, QObject* parent = nullptr);

    // Where every queued send reports to and listens to.
    void setConnections(const CommandConnections& connections) { connections_ = connections; }
    // Sending then skips check().
    void setSkipCheck(bool skip) { skipCheck_ = skip; }
    bool skipsCheck() const { return skipCheck_; }

    int sendFile(const QString& path);
    int checkFile(const QString& path);
    // Loads the package from a private copy of the file, so that the file may
    // change while the package is sent, and learns the size of every area
    // the archive holds.
    int loadPackage(const QString& path, file::PackageFile& package);
    int check(const file::PackageFile& package);
    int send(const file::PackageFile& package);

    // From the last send(): data names of areas whose data the package could
    // not deliver, and of areas whose data do not suit the keyboard.
    QStringList unreadElements() const { return unreadElements_; }
    QStringList rejectedElements() const { return rejectedElements_; }

signals:
    void newCommandRegistered();

private:
    void sendArea(const file::PackageFile& package, const data::CategoryDescriptor& descriptor,
                  int area, const QString& modelName);

    KeyboardCommunicator* communicator_;
    CommandConnections connections_;
    bool skipCheck_ = false;
    QTemporaryFile packageCopy_;
    QStringList unreadElements_;
    QStringList rejectedElements_;
};

} // namespace zel::qmix::comm
