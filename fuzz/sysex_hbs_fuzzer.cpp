// HBS data blocks, the bulk data the keyboard sends.
#include "sysex/HBSDecoder.h"
#include "sysex/HBSEncoder.h"
#include "sysex/msg_error.h"

#include <cstddef>
#include <cstdint>

using namespace zel::qmix::sysex;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray msg(reinterpret_cast<const char*>(data), qsizetype(size));
    HBSDecoder decoder;
    try {
        decoder.decode(msg);
    } catch (const msg_error& error) {
        if (error.code() != msg_error::MALFORMED && error.code() != msg_error::CHECKSUM_MISMATCH)
            __builtin_trap();
        return 0;
    }
    // Decoded data must be exactly what the length field announced and the
    // message carried.
    if (HBSEncoder::messageLength(decoder.data().size()) != msg.size())
        __builtin_trap();
    return 0;
}
