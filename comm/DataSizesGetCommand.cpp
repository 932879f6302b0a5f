#include "comm/DataSizesGetCommand.h"

#include <QMetaType>

namespace zel::qmix::comm {

DataSizesGetCommand::DataSizesGetCommand(midi::DeviceHandler* handler, int category,
                                         unsigned firstArea, unsigned lastArea, QObject* parent)
    : SystemParameterCommand(handler, parent)
    , category_(category)
    , firstArea_(firstArea)
    , lastArea_(lastArea) {
    registerMetaType();
}

void DataSizesGetCommand::proceed() {
    if (!checkConnection())
        return;
    selectMode(AreaMode);
    selectCategory(category_);
    // Wide enough that a range ending at the largest area number still ends.
    for (quint64 area = firstArea_; area <= lastArea_; ++area) {
        selectAreaNumber(int(area));
        const QVector<int> size = requestParameter(0, AreaSize);
        // A keyboard that stopped answering would cost a reply time-out per
        // area; the short list already tells the caller the query failed.
        if (size.isEmpty())
            break;
        sizes_.append(unsigned(size.first()));
    }
    if (!isDone())
        fail();
}

QVariant DataSizesGetCommand::result() const {
    return QVariant::fromValue(sizes_);
}

void DataSizesGetCommand::registerMetaType() {
    qRegisterMetaType<QList<unsigned>>("QList<unsigned>");
}

} // namespace zel::qmix::comm
