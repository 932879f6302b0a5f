#pragma once

#include "sysex/BlockAddress.h"

#include <QByteArray>
#include <QtGlobal>

namespace zel::qmix::emu {

// The element the PC is sending: the blocks of one block address collected
// until the PC ends the element with ESS. Nothing is stored before that.
class IncomingElement {
public:
    // Starts collecting for `address`, taking at most `limit` bytes.
    void open(const sysex::BlockAddress& address, qint64 limit);
    void close();

    bool isOpen() const { return open_; }
    bool isFor(const sysex::BlockAddress& address) const { return open_ && address_ == address; }
    const sysex::BlockAddress& address() const { return address_; }
    const QByteArray& data() const { return data_; }

    // False, leaving the data as they were, when the block would pass the limit.
    bool append(const QByteArray& block);

private:
    bool open_ = false;
    sysex::BlockAddress address_;
    QByteArray data_;
    qint64 limit_ = 0;
};

} // namespace zel::qmix::emu
