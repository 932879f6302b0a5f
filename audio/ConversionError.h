#pragma once

namespace zel::qmix::audio {

// Thrown out of a conversion that cannot go on: cancelled by the user, or
// stopped by a file that cannot be read or written. The codes are the command
// error codes the audio commands report, so that a command only has to copy
// the code into its result.
struct ConversionError {
    enum Code {
        Canceled = 5,
        ReadFailed = 6,
        WriteFailed = 7,
    };
    int code;
};

} // namespace zel::qmix::audio
