#pragma once

namespace zel::qmix::comm {

// Thrown inside a file command's step to end it with `code` (a
// CommandErrorCode value); caught where the step began, so it never leaves
// the command.
struct CommandFailure {
    int code;
};

} // namespace zel::qmix::comm
