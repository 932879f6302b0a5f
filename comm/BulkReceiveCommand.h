#pragma once

#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommand.h"

namespace zel::qmix::comm {

// Reads one keyboard area into its device: sends the "saving" picture, then
// asks for the area's blocks, acknowledging each. The result carries the
// data and the area's name, or the failure value.
class BulkReceiveCommand : public BulkSendCommand {
    Q_OBJECT
public:
    static constexpr int ReceiveKind = 2;

    BulkReceiveCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                       QIODevice* device, QObject* parent = nullptr);

    void proceed() override;
    // Always a BulkReceiveCommandResult, also when the command ended early.
    QVariant result() const override;
    bool isElementActive(const BulkElement& element) const override;

protected:
    void start() override;
    void beginElement() override;
    void abort() override;
    void finish() override;

    virtual void onStartAck();
    virtual void onBlockOrEnd();
    virtual void receiveBlock(const QByteArray& message);
    virtual void endElement();

    // Opens the transfer with the SBS its first element needs.
    void openTransfer();
    // A keyboard element whose size differs from what the keyboard
    // announced (a block delivered twice, one lost) is never kept: it is
    // refused, so that the keyboard leaves the transfer, and the command fails.
    void refuseElement();
    // The bytes the keyboard announced for all its elements of the list.
    qint64 announcedBytes() const;
    BulkReceiveCommandResult failureResult() const;

    int currentDirection = BulkElement::FromPc;
    // Bytes taken for the current keyboard element.
    qint64 elementBytes = 0;
};

} // namespace zel::qmix::comm
