#include "sysex/MessageFrame.h"

namespace zel::qmix::sysex {

QByteArray MessageFrame::header() {
    const char bytes[HEADER_LENGTH] = {START, MANUFACTURER, FAMILY_FIRST, FAMILY_SECOND, DEVICE};
    return QByteArray(bytes, HEADER_LENGTH);
}

void MessageFrame::appendHeader(QByteArray& msg) {
    msg.append(header());
}

bool MessageFrame::hasKeyboardHeader(const QByteArray& msg) {
    return msg.size() >= HEADER_LENGTH && msg.startsWith(header());
}

} // namespace zel::qmix::sysex
