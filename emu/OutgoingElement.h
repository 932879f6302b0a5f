#pragma once

#include "sysex/BlockAddress.h"

#include <QByteArray>

namespace zel::qmix::emu {

// The element the keyboard is sending on the PC's HBR: its data in blocks,
// each sent after the PC acknowledged the one before, then ESS.
class OutgoingElement {
public:
    // The largest block the keyboard sends: one HBS then stays within the
    // PC's 256-byte receive buffer.
    static constexpr int MAX_BLOCK_SIZE = 203;

    void start(const sysex::BlockAddress& address, const QByteArray& data);
    void finish();

    bool isActive() const { return active_; }
    const sysex::BlockAddress& address() const { return address_; }
    bool hasMoreBlocks() const { return active_ && offset_ < data_.size(); }
    // The next block; moves past it.
    QByteArray takeBlock();
    void markEndSent() { endSent_ = true; }
    bool isEndSent() const { return endSent_; }

private:
    bool active_ = false;
    bool endSent_ = false;
    sysex::BlockAddress address_;
    QByteArray data_;
    qsizetype offset_ = 0;
};

} // namespace zel::qmix::emu
