#pragma once

#include "comm/BulkDumpCommand.h"

namespace zel::qmix::etc {
class GenericChecker;
}

namespace zel::qmix::comm {

// Writes the bytes of its device into one keyboard area: checks that the
// area is still what the caller saw, asks before overwriting data, checks
// the free memory, then sends a display picture and the data block by block.
class BulkSendCommand : public BulkDumpCommand {
    Q_OBJECT
public:
    static constexpr int SendKind = 3;
    static constexpr int SongCategory = 33;
    static constexpr int RhythmCategory = 36;
    static constexpr int ToneCategory = 3;
    // How long the keyboard is given to show the picture before the data
    // of a song or rhythm follow.
    static constexpr int PictureHoldMs = 1000;

    BulkSendCommand(midi::DeviceHandler* handler, int category, int areaNumber, QIODevice* device,
                    QObject* parent = nullptr);

    void proceed() override;
    QVariant result() const override;
    bool isElementActive(const BulkElement& element) const override;

    // Not owned; asked before an area holding data is overwritten.
    void setChecker(etc::GenericChecker* checker) { this->checker = checker; }
    // Second-generation keyboards end a transfer with EXI instead of EBS.
    void setEndsWithExi(bool exi) { endsWithExi = exi; }
    // Whether the size the keyboard stored is read back after the send.
    // Not for clearing sends, after which the keyboard holds no data of the
    // size sent.
    void setChecksStoredSize(bool check) { checksStoredSize = check; }

public slots:
    // Keeps the keyboard waiting while a question is open.
    void sendExi();

protected:
    // Thrown inside start() by the checks that stop a send before it begins.
    struct TransferStopped {};

    virtual void start();
    virtual void onBlockAck();
    virtual void onElementEndAck();
    virtual void sendNextBlock();
    virtual void beginElement();
    virtual void abort();
    virtual void finish();
    virtual bool checkCapacity(const QByteArray& data);
    virtual bool isTargetAreaUsed();
    virtual bool targetAreaChanged();
    virtual void confirmReplace();

    struct AreaState {
        bool used = false;
        QString name;
        int size = 0;
    };
    // Sets an error (and the Abort state) when the keyboard did not tell.
    AreaState readAreaState();
    // Runs the handler of a PC-side element in the current state.
    // Runs the start, abort and finish steps every transfer shares; false in
    // any other state, which the transfer's own steps handle.
    bool proceedLifecycle();
    void proceedSending();
    // A tone send ends by reading the 32 entries of parameter 106 of
    // parameter category 2 and writing them back unchanged, as the keyboard
    // expects after new tones, even when the transfer failed.
    void restoreToneParameters();
    // Checks now what the keyboard stored, or leaves it to the closing
    // command while the series stays open.
    void checkStoredSize();
    void failInternally();

    etc::GenericChecker* checker = nullptr;
    int pictureHoldMs = 0;
    bool endsWithExi = false;
    bool checksStoredSize = false;
};

} // namespace zel::qmix::comm
