#pragma once

#include <QByteArray>

namespace zel::qmix::sysex {

// The frame shared by every message: five fixed header bytes, the type byte,
// the body (7-bit bytes only) and the end byte.
class MessageFrame {
public:
    static constexpr char START = char(0xF0);
    static constexpr char MANUFACTURER = char(0x3B);
    static constexpr char FAMILY_FIRST = char(0x2C);
    static constexpr char FAMILY_SECOND = char(0x01);
    static constexpr char DEVICE = char(0x7F);
    static constexpr char END = char(0xF7);

    static constexpr int HEADER_LENGTH = 5;
    static constexpr int TYPE_OFFSET = 5;
    static constexpr int BODY_OFFSET = 6;

    static QByteArray header();
    static void appendHeader(QByteArray& msg);
    // True only when the first five bytes are exactly the keyboard's header.
    static bool hasKeyboardHeader(const QByteArray& msg);
};

} // namespace zel::qmix::sysex
