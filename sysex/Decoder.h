#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace zel::qmix::sysex {

// Base of the decoders of messages from the keyboard. decode() checks the frame
// and throws msg_error for anything that must not be used; results stay in the
// subclass and are read through its accessors.
class Decoder {
public:
    virtual ~Decoder() = 0;

    // Header check, validate(), end-byte check, parse(), in that order. After a
    // throw the previous results are not to be relied on.
    void decode(const QByteArray& msg);

    // The type byte of a keyboard message, to tell which message arrived.
    // Throws msg_error(1) for a message too short to have one or one that does
    // not carry the keyboard's header.
    static qint8 messageType(const QByteArray& msg);

protected:
    Decoder() = default;
    Decoder(const Decoder&) = default;
    Decoder& operator=(const Decoder&) = default;

    // Type, length and checksum checks; msg has the keyboard's header.
    virtual void validate(const QByteArray& msg) = 0;
    // Reads the body; msg has passed validate() and ends with F7.
    virtual void parse(const QByteArray& msg) = 0;
};

} // namespace zel::qmix::sysex
