#include "midi/SysExAssembler.h"

namespace zel::qmix::midi {

namespace {

constexpr unsigned char SYSEX_START = 0xF0;
constexpr unsigned char SYSEX_END = 0xF7;
constexpr unsigned char FIRST_STATUS = 0x80;
constexpr unsigned char FIRST_REAL_TIME = 0xF8;

} // namespace

QList<QByteArray> SysExAssembler::feed(const char* bytes, std::size_t count) {
    QList<QByteArray> complete;
    for (std::size_t i = 0; i < count; ++i)
        take(static_cast<unsigned char>(bytes[i]), complete);
    return complete;
}

void SysExAssembler::reset() {
    partial_.clear();
    inside_ = false;
}

void SysExAssembler::take(unsigned char byte, QList<QByteArray>& complete) {
    if (byte >= FIRST_REAL_TIME)
        return;
    if (byte == SYSEX_START) {
        reset();
        inside_ = true;
        partial_.append(char(byte));
        return;
    }
    if (!inside_)
        return; // channel messages and stray data are not the keyboard's protocol
    if (byte == SYSEX_END) {
        partial_.append(char(byte));
        complete.append(partial_);
        reset();
        return;
    }
    if (byte >= FIRST_STATUS || partial_.size() >= MaxMessageSize) {
        reset();
        return;
    }
    partial_.append(char(byte));
}

} // namespace zel::qmix::midi
