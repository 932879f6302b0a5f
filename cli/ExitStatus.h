#pragma once

namespace zel::qmix::cli {

// Exit statuses of the command-line front end. Scripts rely on them, so they
// never change meaning: a refused file exits with FileErrorBase plus its file
// result code, a failed keyboard command with CommandErrorBase plus its error
// code, a refused package with PackageErrorBase plus the package sender's code.
struct ExitStatus {
    enum {
        Success = 0,
        // Nothing was done because the answer to a question was No.
        Failure = 1,
        Usage = 2,
        CommandErrorBase = 10,
        FileErrorBase = 20,
        PackageErrorBase = 30,
        Interrupted = 130
    };

    static int forFileResult(int fileResult) {
        return fileResult == 0 ? Success : FileErrorBase + fileResult;
    }
    static int forCommandError(int code) { return code == 0 ? Success : CommandErrorBase + code; }
    static int forPackageResult(int code) { return code == 0 ? Success : PackageErrorBase + code; }
};

} // namespace zel::qmix::cli
