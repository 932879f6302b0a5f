#include "sysex/msg_error.h"

namespace zel::qmix::sysex {

const char* msg_error::what() const noexcept {
    switch (code_) {
    case MALFORMED:
        return "malformed SysEx message";
    case CHECKSUM_MISMATCH:
        return "SysEx checksum mismatch";
    default:
        return "SysEx message error";
    }
}

} // namespace zel::qmix::sysex
