#pragma once

#include "sysex/msg_error.h"

#include <QByteArray>
#include <QString>

#include <utility>

// What a decoding step threw: the msg_error code, or 0 when it returned normally.
template <typename Step> int msgErrorCode(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (const zel::qmix::sysex::msg_error& error) {
        return error.code();
    }
    return 0;
}

// Byte vectors are written as hex with spaces, the way they are read in a MIDI monitor.
inline QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(QByteArray(hex));
}
