#pragma once

namespace zel::qmix::comm {

// The result every command reports; the message dialog turns it into a text.
struct CommandErrorCode {
    enum T {
        NoError = 0,
        CommunicationError = 1,
        MemoryFull = 2,
        FileFormatError = 3,
        Rejected = 4,
        Canceled = 5,
        FileReadError = 6,
        FileWriteError = 7,
        DataMismatch = 8,
        // Only ever inside a bulk-send result handed to the overwrite checkers.
        ReplaceQuestion = 10
    };
};

} // namespace zel::qmix::comm
