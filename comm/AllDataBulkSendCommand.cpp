#include "comm/AllDataBulkSendCommand.h"

#include "midi/DeviceHandler.h"
#include "sysex/SBSEncoder.h"

#include <QIODevice>

#include <algorithm>
#include <numeric>

namespace zel::qmix::comm {

AllDataBulkSendCommand::AllDataBulkSendCommand(midi::DeviceHandler* handler, QIODevice* device,
                                               QObject* parent)
    : BulkSendCommand(handler, AllDataCategory, 0, device, parent) {}

void AllDataBulkSendCommand::start() {
    if (midi::DeviceHandler* handler = deviceHandler())
        handler->clearReceived();
    QByteArray backup;
    if (device && device->open(QIODevice::ReadOnly)) {
        backup = device->readAll();
        device->close();
    }
    const QList<int> sizes = readAreaSizes(AllDataCategory);
    // A failed request has ended the command already, with its own error.
    if (isDone())
        return;
    const qint64 expectedTotal =
        std::accumulate(expectedSizes.cbegin(), expectedSizes.cend(), qint64(0));
    // A backup that does not fill the blocks exactly would leave the keyboard
    // with a cut or padded memory image: it does not fit this keyboard.
    if (expectedSizes.isEmpty() || sizes != expectedSizes || backup.size() != expectedTotal) {
        setErrorCode(CommandErrorCode::FileFormatError);
        setState(Abort);
        return;
    }
    bytesTotal = quint64(backup.size());
    qsizetype offset = 0;
    for (int block = 0; block < expectedSizes.size(); ++block) {
        elements.append(BulkElement{BulkElement::FromPc, AllDataCategory, block, DataSubAddress,
                                    backup.mid(offset, expectedSizes.at(block)), 0, BlockSize});
        offset += expectedSizes.at(block);
    }
    // Picture j goes before block j; pictures beyond the blocks close the list.
    for (int picture = 0; picture < lcdPictures.size(); ++picture) {
        const BulkElement element{BulkElement::FromPc,
                                  PictureCategory,
                                  0,
                                  PictureSubAddress,
                                  lcdPictures.at(picture),
                                  0,
                                  BlockSize};
        elements.insert(std::min<qsizetype>(2 * picture, elements.size()), element);
    }
    areaNumber = 0;
    current = nextActiveElement(0);
    if (!hasCurrentElement()) {
        setErrorCode(CommandErrorCode::FileFormatError);
        setState(Abort);
        return;
    }
    blocks = splitBlocks(elements.at(current).data);
    pictureHoldMs = PictureHoldMs;
    sysex::SBSEncoder open(SendKind);
    sendMessage(open);
    setState(SendBlocks);
}

} // namespace zel::qmix::comm
