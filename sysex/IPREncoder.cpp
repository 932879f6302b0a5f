#include "sysex/IPREncoder.h"

#include "sysex/MessageType.h"
#include "sysex/ParameterAddress.h"
#include "sysex/ParameterAttributeTable.h"
#include "sysex/SysexNumbers.h"

#include <QtGlobal>

namespace zel::qmix::sysex {

IPREncoder::IPREncoder(int category, int subAddress)
    : Encoder(MessageType::IPR)
    , cat_(category & 0x7F)
    , subAddress_(subAddress & 0x7F) {}

void IPREncoder::setIndex(int position, int value) {
    Q_ASSERT(position >= 0 && position < int(indexes_.size()));
    if (position >= 0 && position < int(indexes_.size()))
        indexes_[size_t(position)] = value & 0x3FFF;
}

void IPREncoder::writeBody(QByteArray& msg) {
    ParameterAddress address;
    address.category = cat_;
    address.subAddress = subAddress_;
    address.addressNumber = addressNumber_;
    address.indexes = indexes_;
    address.id = id_;
    address.offset = offset_;
    address.length = length_;
    address.write(msg);

    // The keyboard answers with one IPS; its values must fit before the F7.
    // clang-format off
    Q_ASSERT(static_cast< unsigned int >(Encoder::IP_MESSAGE_MAX_LENGTH - (msg.length() + 1)) > (bit2byteLength(PsGetParameterAttrib(cat_, id_).bitWidth) * (length_ + 1)));
    // clang-format on
}

} // namespace zel::qmix::sysex
