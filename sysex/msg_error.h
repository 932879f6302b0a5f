#pragma once

#include <exception>

namespace zel::qmix::sysex {

// Thrown by the decoders for a message that must not be used. The code is also
// what an ERR message tells the keyboard about the rejected message.
class msg_error : public std::exception {
public:
    static constexpr int MALFORMED = 1;
    static constexpr int CHECKSUM_MISMATCH = 2;

    explicit msg_error(int code) noexcept
        : code_(code) {}

    int code() const noexcept { return code_; }
    const char* what() const noexcept override;

private:
    int code_;
};

} // namespace zel::qmix::sysex
