#pragma once

#include "sysex/ParameterAddress.h"

#include <QByteArray>

namespace zel::qmix::emu {

// Reads the parameter address that opens the body of an IPR or IPS message.
class ParameterAddressReader {
public:
    // Throws msg_error(1) when the message is too short to hold an address.
    static sysex::ParameterAddress read(const QByteArray& msg);
};

} // namespace zel::qmix::emu
