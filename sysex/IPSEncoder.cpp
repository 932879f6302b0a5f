#include "sysex/IPSEncoder.h"

#include "sysex/MessageType.h"
#include "sysex/ParameterAddress.h"
#include "sysex/ParameterAttributeTable.h"
#include "sysex/SysexNumbers.h"

#include <QtGlobal>

#include <algorithm>

namespace zel::qmix::sysex {

IPSEncoder::IPSEncoder(int category, int subAddress)
    : Encoder(MessageType::IPS)
    , cat_(category & 0x7F)
    , subAddress_(subAddress & 0x7F) {}

void IPSEncoder::setIndexes(const QVector<int>& indexes) {
    indexes_ = indexes;
    indexes_.resize(4);
    for (int& index : indexes_)
        index &= 0x3FFF;
}

void IPSEncoder::writeBody(QByteArray& msg) {
    // The length field holds count - 1: no values, or more than it can name,
    // would announce a count the message does not carry.
    Q_ASSERT_X(!values_.isEmpty() && values_.size() <= MAX_VALUE_COUNT, "IPSEncoder::writeBody",
               "an IPS carries 1 to 16384 values");

    ParameterAddress address;
    address.category = cat_;
    address.subAddress = subAddress_;
    address.addressNumber = addressNumber_;
    std::copy(indexes_.cbegin(), indexes_.cend(), address.indexes.begin());
    address.id = id_;
    address.offset = offset_;
    address.length = int(values_.size()) - 1;
    address.write(msg);

    const unsigned int bitWidth = PsGetParameterAttrib(cat_, id_).bitWidth;
    for (const qint32 value : values_)
        SysexNumbers::writeNumber(msg, quint32(value), bitWidth);

    Q_ASSERT(msg.length() < Encoder::IP_MESSAGE_MAX_LENGTH);
}

} // namespace zel::qmix::sysex
