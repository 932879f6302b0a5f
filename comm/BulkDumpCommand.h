#pragma once

#include "comm/BulkElement.h"
#include "comm/ExpectedArea.h"
#include "comm/OpenSendSeries.h"
#include "comm/SystemParameterCommand.h"

#include "sysex/BlockAddress.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QIODevice;

namespace zel::qmix::sysex {
class Encoder;
}

namespace zel::qmix::comm {

// The block handshake shared by every bulk transfer: the transfer list, the
// reply waits with their ERR retries and final RJC, the rule that a cancel
// turns the next outgoing message into RJC, suspension, and the byte
// counters of the progress display. While one of these commands runs, the
// process-wide bulk activity counter is not 0.
class BulkDumpCommand : public SystemParameterCommand {
    Q_OBJECT
public:
    enum State {
        Start = 0,
        SendBlocks = 1,
        AwaitStartAck = 2,
        AwaitElementEndAck = 4,
        ReceiveBlocks = 5,
        Abort = 6,
        Finish = 7
    };

    // Data bytes per HBS: a full block message is then 250 bytes, within the
    // keyboard's 256-byte receive buffer.
    static constexpr int BlockSize = 203;
    static constexpr int PictureCategory = 0x30;
    static constexpr int PictureSubAddress = 0;
    static constexpr int DataSubAddress = 2;
    // Replies that may fail before the transfer is abandoned: each failure
    // but the last is answered with ERR.
    static constexpr int MaxRetries = 3;
    static constexpr int SuspendedKeepAliveMs = 256;
    static constexpr int ResumeSettleMs = 64;

    // `device` is not owned; the registering code parents it to the command.
    BulkDumpCommand(midi::DeviceHandler* handler, int category, int areaNumber, QIODevice* device,
                    QObject* parent = nullptr);
    ~BulkDumpCommand() override;

    // Waits while suspended, keeping the keyboard waiting with EXI.
    bool isAborted() override;
    void begin() override;
    void end() override;

    virtual void setLcdPictures(const QList<QByteArray>& pictures);
    virtual bool isElementActive(const BulkElement& element) const = 0;

    // Whether any bulk command is executing, in this process.
    static bool isBulkTransferRunning();

    // Not owned; normally a buffer that is the command's child.
    void setDevice(QIODevice* transferDevice) { device = transferDevice; }
    void setExpectedArea(const ExpectedArea& expected) { expectedArea = expected; }
    void setLcdPicturePath(const QString& path) { lcdPicturePath = path; }
    int transferState() const { return state; }
    const QList<BulkElement>& transferList() const { return elements; }
    // Where sends that leave their series open note their areas, for the
    // closing command to check; shared by the commands of one keyboard link.
    void setOpenSeries(const std::shared_ptr<OpenSendSeries>& series) { openSeries = series; }

protected:
    void setState(int newState);
    // Every message of a transfer goes out through here: once the command is
    // cancelled, the message is replaced by RJC for the current element and
    // the transfer ends; after that nothing more is sent.
    void sendMessage(sysex::Encoder& encoder);
    // Around the cancel rule: keep-alives, and what must go out after a cancel.
    void sendDirectly(sysex::Encoder& encoder);
    void sendExiDirectly();

    // The next message from the keyboard. Empty, with a time-out noted for
    // checkReply(), when none arrives within the reply time-out.
    QByteArray receiveMessage();
    // Waits for a message of the type, passing over others. An RJC from the
    // keyboard ends the wait too, so that checkReply() sees the refusal.
    QByteArray awaitMessage(int type);
    QByteArray awaitAnyOf(const QList<int>& types, int* matched);
    // True when it has dealt with the reply (refusal, ERR retry, final RJC).
    bool checkReply(const QByteArray& message);
    void notePendingError(int code);

    static QList<QByteArray> splitBlocks(const QByteArray& data);
    int nextActiveElement(int from) const;
    bool hasCurrentElement() const;
    // The address of the current element; the command's target when there
    // is none.
    sysex::BlockAddress currentAddress() const;
    static QByteArray readPicture(const QString& path);
    // A block lost on its way to the keyboard is taken for arrived: the
    // keyboard answers the PC's ERR by repeating the acknowledgement of the
    // block before. Only the size it stored shows the loss. Nothing when the
    // keyboard does not tell, which proves nothing either way.
    std::optional<int> storedSize(int category, int areaNumber);

    int category;
    int areaNumber;
    QIODevice* device;
    int state = Start;
    QElapsedTimer replyTimer;
    int retryCount = 0;
    QVariant resultValue;
    QList<BulkElement> elements;
    int current = 0;
    QList<QByteArray> blocks;
    QList<QByteArray> lcdPictures;
    ExpectedArea expectedArea;
    bool errorPending = false;
    int pendingErrorCode = 0;
    quint64 bytesDone = 0;
    quint64 bytesTotal = 0;
    bool stateLocked = false;
    QString lcdPicturePath;
    std::shared_ptr<OpenSendSeries> openSeries;

private:
    bool counted_ = false;
};

} // namespace zel::qmix::comm
