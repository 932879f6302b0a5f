#pragma once

#include "sysex/Encoder.h"

namespace zel::qmix::sysex {

// Asks the keyboard to repeat its last message, telling why it was not taken.
class ERREncoder : public Encoder {
public:
    // The codes match msg_error's, so a caught error can be passed on as it is.
    enum Code : int { NO_MESSAGE = 0, MALFORMED = 1, CHECKSUM_MISMATCH = 2 };

    explicit ERREncoder(int code = NO_MESSAGE);

    void setCode(int code) { code_ = code; }
    int code() const { return code_; }

protected:
    void writeBody(QByteArray& msg) override;

private:
    int code_;
};

} // namespace zel::qmix::sysex
