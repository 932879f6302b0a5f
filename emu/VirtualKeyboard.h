#pragma once

#include "emu/AreaSelection.h"
#include "emu/FaultPlan.h"
#include "emu/IncomingElement.h"
#include "emu/KeyboardMemory.h"
#include "emu/OutgoingElement.h"
#include "emu/RestoreImage.h"
#include "sysex/BlockAddress.h"
#include "sysex/ParameterAddress.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QVector>

#include <functional>

namespace zel::qmix::emu {

// The keyboard's side of every exchange the program starts: fed one incoming
// message at a time, it answers through the output callback. It does no I/O
// of its own, so it can sit behind the in-process wire, behind real MIDI
// ports or directly in a test. Not thread-safe: one thread drives it.
class VirtualKeyboard {
public:
    // A message to send, and how long after the incoming message that caused
    // it it should leave (the keyboard may be busy, or told to be slow).
    using Output = std::function<void(const QByteArray& message, int delayMs)>;
    // Milliseconds on a monotonic clock.
    using Clock = std::function<qint64()>;
    // Stores a memory state for good; false when that failed, and the keyboard
    // then refuses the change that led to it.
    using Persistence = std::function<bool(const KeyboardMemory& memory)>;

    // The size of the parameter that carries a display picture (category 48, id 0).
    static constexpr int PICTURE_PARAMETER_SIZE = 279;

    explicit VirtualKeyboard(const data::KeyboardInfo* model, const FaultPlan& faults = {});

    void setOutput(Output output) { output_ = std::move(output); }
    void setClock(Clock clock) { clock_ = std::move(clock); }
    void setPersistence(Persistence persistence) { persistence_ = std::move(persistence); }
    // Takes over a memory state loaded from elsewhere, without storing it.
    void setMemory(const KeyboardMemory& memory);

    void receive(const QByteArray& message);

    const data::KeyboardInfo* model() const { return memory_.model(); }
    const KeyboardMemory& memory() const { return memory_; }
    const AreaSelection& selection() const { return selection_; }
    // The picture last put on the display, by bulk transfer or parameter.
    QByteArray lcdPicture() const { return lcdPicture_; }
    int receivedCount() const { return received_; }

private:
    enum class Target { Refused, Picture, BackupBlock, Area };

    void dispatch(int type, const QByteArray& message);
    void onParameterRequest(const QByteArray& message);
    void onParameterSet(const QByteArray& message);
    void onBlockRequest(const QByteArray& message);
    void onBlock(const QByteArray& message);
    void onElementEnd(const QByteArray& message);
    void onAcknowledge();
    void onTransferStart(const QByteArray& message);
    void onTransferEnd();
    void onRepeatRequest();

    QVector<qint32> parameterValues(const sysex::ParameterAddress& address) const;
    void setSystemParameter(int id, qint32 value);
    void setPictureBytes(int offset, const QVector<qint32>& values);
    void storeParameters(const sysex::ParameterAddress& address, const QVector<qint32>& values);
    void deleteSelectedArea();

    Target classify(const sysex::BlockAddress& address) const;
    qint64 elementLimit(Target target, const sysex::BlockAddress& address) const;
    bool openIncoming(const sysex::BlockAddress& address);
    bool commitIncoming();
    bool commitArea(const sysex::BlockAddress& address, const QByteArray& data);
    bool commitBackupBlock(int block, const QByteArray& data);
    QByteArray outgoingData(const sysex::BlockAddress& address);
    void sendNextOutgoing();
    void abandonTransfers();

    bool adopt(const KeyboardMemory& candidate);

    bool takeAcknowledgeTurn();
    void acknowledge(const sysex::BlockAddress& address);
    void refuse(const sysex::BlockAddress& address);
    void send(const QByteArray& message);
    void transmit(QByteArray message);
    int replyDelay() const;
    qint64 now() const;

    KeyboardMemory memory_;
    FaultPlan faults_;
    Output output_;
    Clock clock_;
    Persistence persistence_;
    QElapsedTimer uptime_;

    AreaSelection selection_;
    IncomingElement incoming_;
    OutgoingElement outgoing_;
    RestoreImage restore_;
    QByteArray backupImage_; // built on the first backup request after a change
    QByteArray lcdPicture_;
    QByteArray pictureParameter_;
    QByteArray lastSent_;

    int received_ = 0;
    int blocksSent_ = 0;
    int blocksArrived_ = 0;
    int acknowledgements_ = 0;
    bool droppingReplies_ = false;
    qint64 messageTime_ = 0;
    qint64 busyUntil_ = 0;
};

} // namespace zel::qmix::emu
