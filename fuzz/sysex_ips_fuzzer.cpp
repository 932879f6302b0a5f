// IPS replies decoded without a request, as when the PC reads back what arrives.
#include "sysex/IPSDecoder.h"
#include "sysex/ParameterAttributeTable.h"
#include "sysex/SysexNumbers.h"
#include "sysex/msg_error.h"

#include <cstddef>
#include <cstdint>

using namespace zel::qmix::sysex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray msg(reinterpret_cast<const char*>(data), qsizetype(size));
    IPSDecoder decoder;
    try {
        decoder.decode(msg);
    } catch (const msg_error& error) {
        if (error.code() != msg_error::MALFORMED)
            __builtin_trap();
        return 0;
    }
    // A decoded reply must account for every byte between its address and F7.
    const unsigned int width =
        bit2byteLength(PsGetParameterAttrib(decoder.category(), decoder.parameterId()).bitWidth);
    if (24 + decoder.values().size() * qsizetype(width) + 1 != msg.size())
        __builtin_trap();
    return 0;
}
