#include "sysex/ParameterAddress.h"

#include "sysex/SysexNumbers.h"

namespace zel::qmix::sysex {

void ParameterAddress::write(QByteArray& msg) const {
    SysexNumbers::write7(msg, quint32(category));
    SysexNumbers::write7(msg, quint32(subAddress));
    SysexNumbers::write14(msg, quint32(addressNumber));
    // On the wire the indexes run from the last to the first.
    for (auto index = indexes.rbegin(); index != indexes.rend(); ++index)
        SysexNumbers::write14(msg, quint32(*index));
    SysexNumbers::write14(msg, quint32(id));
    SysexNumbers::write14(msg, quint32(offset));
    SysexNumbers::write14(msg, quint32(length));
}

} // namespace zel::qmix::sysex
