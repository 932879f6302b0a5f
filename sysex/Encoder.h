#pragma once

#include <QByteArray>

namespace zel::qmix::sysex {

// Base of every message encoder: writes the frame around the body a subclass
// supplies. Encoders are plain values: set the fields, encode, discard.
class Encoder {
public:
    // Longest IPR or IPS message, F0 and F7 included.
    static constexpr int IP_MESSAGE_MAX_LENGTH = 48;

    virtual ~Encoder() = 0;

    // Appends one complete message, F0 to F7, to msg.
    void encode(QByteArray& msg);

    int type() const { return type_; }

protected:
    explicit Encoder(int type)
        : type_(type) {}
    Encoder(const Encoder&) = default;
    Encoder& operator=(const Encoder&) = default;

    void setType(int type) { type_ = type; }

    // Appends the body. msg holds exactly this message's header and type byte.
    virtual void writeBody(QByteArray& msg);

private:
    int type_;
};

} // namespace zel::qmix::sysex
