#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QStringList>

#include <sys/types.h>

// A program run on a pseudo-terminal, as a person runs it in a terminal
// window: standard input, output and error are the terminal, typed text
// (and Ctrl-C, "\x03") arrives through the terminal's line discipline.
class PtyProcess {
public:
    PtyProcess() = default;
    ~PtyProcess();
    PtyProcess(const PtyProcess&) = delete;
    PtyProcess& operator=(const PtyProcess&) = delete;

    bool start(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment);
    // Reads until `text` has appeared in the output since the start; false
    // when it did not within `timeoutMs` or the program ended first.
    bool waitForOutput(const QByteArray& text, int timeoutMs);
    // Reads until `pattern` (a regular expression) matches the output.
    bool waitForMatch(const QString& pattern, int timeoutMs);
    void type(const QByteArray& text);
    // The exit status, -2 when it ended by a signal, -1 when it did not end
    // within `timeoutMs` (it is then killed).
    int waitForExit(int timeoutMs);

    QByteArray output() const { return output_; }

private:
    // Reads what is there, waiting at most `waitMs`; false at end of output.
    bool readSome(int waitMs);
    bool reap(bool block);

    pid_t pid_ = -1;
    int master_ = -1;
    QByteArray output_;
    int status_ = -1;
    bool ended_ = false;
};
