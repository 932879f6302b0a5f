#include "emu/IncomingElement.h"

namespace zel::qmix::emu {

void IncomingElement::open(const sysex::BlockAddress& address, qint64 limit) {
    open_ = true;
    address_ = address;
    data_.clear();
    limit_ = limit;
}

void IncomingElement::close() {
    open_ = false;
    data_.clear();
}

bool IncomingElement::append(const QByteArray& block) {
    if (data_.size() + qint64(block.size()) > limit_)
        return false;
    data_.append(block);
    return true;
}

} // namespace zel::qmix::emu
