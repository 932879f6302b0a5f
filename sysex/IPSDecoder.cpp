#include "sysex/IPSDecoder.h"

#include "sysex/MessageFrame.h"
#include "sysex/MessageType.h"
#include "sysex/ParameterAddress.h"
#include "sysex/ParameterAttributeTable.h"
#include "sysex/SysexNumbers.h"
#include "sysex/msg_error.h"

namespace zel::qmix::sysex {

namespace {

constexpr int ADDRESS_END = ParameterAddress::END_OFFSET;
// The address and the F7: a reply without any value bytes.
constexpr int MIN_LENGTH = ADDRESS_END + 1;

} // namespace

void IPSDecoder::setRequest(const QByteArray& request) {
    request_ = request.left(ADDRESS_END);
}

bool IPSDecoder::hasRequest() const {
    return request_.size() == ADDRESS_END;
}

void IPSDecoder::validate(const QByteArray& msg) {
    if (msg.size() < MIN_LENGTH || msg.at(MessageFrame::TYPE_OFFSET) != char(MessageType::IPS))
        throw msg_error(msg_error::MALFORMED);
    if (hasRequest()) {
        QByteArray echoed = msg.left(ADDRESS_END);
        echoed[MessageFrame::TYPE_OFFSET] = char(MessageType::IPR);
        if (echoed != request_)
            throw msg_error(msg_error::MALFORMED);
    }
}

void IPSDecoder::parse(const QByteArray& msg) {
    values_.clear();
    category_ = quint8(msg.at(MessageFrame::BODY_OFFSET));
    id_ = int(SysexNumbers::read14(msg, ParameterAddress::ID_OFFSET));
    const qsizetype count =
        qsizetype(SysexNumbers::read14(msg, ParameterAddress::LENGTH_OFFSET)) + 1;
    const unsigned int bitWidth = PsGetParameterAttrib(category_, id_).bitWidth;
    const qsizetype width = bit2byteLength(bitWidth);

    // The values must end exactly at the F7; checked before reading so a
    // length field larger than the message is never followed.
    if (ADDRESS_END + count * width != msg.size() - 1)
        throw msg_error(msg_error::MALFORMED);

    values_.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        values_.append(qint32(SysexNumbers::readNumber(msg, ADDRESS_END + i * width, bitWidth)));
}

} // namespace zel::qmix::sysex
