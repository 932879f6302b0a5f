#include "emu/OutgoingElement.h"

namespace zel::qmix::emu {

void OutgoingElement::start(const sysex::BlockAddress& address, const QByteArray& data) {
    active_ = true;
    endSent_ = false;
    address_ = address;
    data_ = data;
    offset_ = 0;
}

void OutgoingElement::finish() {
    active_ = false;
    endSent_ = false;
    data_.clear();
    offset_ = 0;
}

QByteArray OutgoingElement::takeBlock() {
    const QByteArray block = data_.mid(offset_, MAX_BLOCK_SIZE);
    offset_ += block.size();
    return block;
}

} // namespace zel::qmix::emu
