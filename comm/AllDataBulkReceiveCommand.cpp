#include "comm/AllDataBulkReceiveCommand.h"

#include "midi/DeviceHandler.h"

#include <QIODevice>

namespace zel::qmix::comm {

AllDataBulkReceiveCommand::AllDataBulkReceiveCommand(midi::DeviceHandler* handler,
                                                     QIODevice* device, QObject* parent)
    : BulkReceiveCommand(handler, AllDataCategory, 0, device, parent) {}

void AllDataBulkReceiveCommand::start() {
    if (midi::DeviceHandler* handler = deviceHandler())
        handler->clearReceived();
    if (!device || !device->open(QIODevice::ReadWrite)) {
        setErrorCode(CommandErrorCode::FileWriteError);
        setState(Abort);
        return;
    }
    device->seek(0);
    const QList<int> sizes = readAreaSizes(AllDataCategory);
    // A failed request has ended the command already, with its own error.
    if (isDone())
        return;
    if (sizes != expectedSizes) {
        setErrorCode(CommandErrorCode::CommunicationError);
        setState(Abort);
        return;
    }
    bytesTotal = 0;
    for (int block = 0; block < sizes.size(); ++block) {
        bytesTotal += quint64(sizes.at(block));
        if (!lcdPictures.isEmpty())
            elements.append(BulkElement{BulkElement::FromPc, PictureCategory, 0, PictureSubAddress,
                                        lcdPictures.at(block % lcdPictures.size()), 0, BlockSize});
        elements.append(BulkElement{BulkElement::FromKeyboard, AllDataCategory, block,
                                    DataSubAddress, QByteArray(), sizes.at(block), BlockSize});
    }
    openTransfer();
}

} // namespace zel::qmix::comm
