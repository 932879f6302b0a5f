#pragma once

#include "comm/SystemParameterCommand.h"

#include <QList>

namespace zel::qmix::comm {

// Reads the data size of every area in a range of one category. Areas that
// do not answer are left out, so the list may be shorter than the range; it
// is in area order. Finishes in its first step; the result is a
// QList<unsigned>.
class DataSizesGetCommand : public SystemParameterCommand {
    Q_OBJECT
public:
    // `lastArea` is inclusive; a range whose last area lies before its first
    // is empty.
    DataSizesGetCommand(midi::DeviceHandler* handler, int category, unsigned firstArea,
                        unsigned lastArea, QObject* parent = nullptr);

    void proceed() override;
    QVariant result() const override;

    static void registerMetaType();

private:
    int category_;
    unsigned firstArea_;
    unsigned lastArea_;
    QList<unsigned> sizes_;
};

} // namespace zel::qmix::comm
