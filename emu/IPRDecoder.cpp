#include "emu/IPRDecoder.h"

#include "emu/ParameterAddressReader.h"
#include "sysex/MessageFrame.h"
#include "sysex/MessageType.h"
#include "sysex/msg_error.h"

namespace zel::qmix::emu {

void IPRDecoder::validate(const QByteArray& msg) {
    if (msg.size() != MESSAGE_LENGTH ||
        msg.at(sysex::MessageFrame::TYPE_OFFSET) != char(sysex::MessageType::IPR))
        throw sysex::msg_error(sysex::msg_error::MALFORMED);
}

void IPRDecoder::parse(const QByteArray& msg) {
    address_ = ParameterAddressReader::read(msg);
}

} // namespace zel::qmix::emu
