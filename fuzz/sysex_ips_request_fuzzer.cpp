// IPS replies checked against a request. The input is the request's 24 address
// bytes followed by the reply.
#include "sysex/IPSDecoder.h"
#include "sysex/msg_error.h"

#include <cstddef>
#include <cstdint>

using namespace zel::qmix::sysex;

namespace {

constexpr size_t REQUEST_LENGTH = 24;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < REQUEST_LENGTH)
        return 0;
    const QByteArray request(reinterpret_cast<const char*>(data), qsizetype(REQUEST_LENGTH));
    const QByteArray msg(reinterpret_cast<const char*>(data + REQUEST_LENGTH),
                         qsizetype(size - REQUEST_LENGTH));
    IPSDecoder decoder;
    decoder.setRequest(request);
    try {
        decoder.decode(msg);
    } catch (const msg_error& error) {
        if (error.code() != msg_error::MALFORMED)
            __builtin_trap();
        return 0;
    }
    // Only a reply that echoes the request's address may be taken.
    QByteArray echoed = msg.left(qsizetype(REQUEST_LENGTH));
    echoed[5] = 0;
    if (echoed != request)
        __builtin_trap();
    return 0;
}
