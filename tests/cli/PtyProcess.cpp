#include "PtyProcess.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

PtyProcess::~PtyProcess() {
    if (pid_ > 0 && !ended_) {
        ::kill(pid_, SIGKILL);
        reap(true);
    }
    if (master_ >= 0)
        ::close(master_);
}

bool PtyProcess::start(const QString& program, const QStringList& arguments,
                       const QProcessEnvironment& environment) {
    // Everything the child needs is made before fork(): after it, only
    // async-signal-safe calls are allowed in a threaded parent's child.
    std::vector<QByteArray> storage;
    storage.push_back(program.toLocal8Bit());
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    const int argumentCount = int(storage.size());
    for (const QString& entry : environment.toStringList())
        storage.push_back(entry.toLocal8Bit());
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (int i = 0; i < int(storage.size()); ++i)
        (i < argumentCount ? argv : envp).push_back(storage[i].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    winsize size = {};
    size.ws_row = 24;
    size.ws_col = 120;
    pid_ = ::forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ < 0)
        return false;
    if (pid_ == 0) {
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    return true;
}

bool PtyProcess::readSome(int waitMs) {
    pollfd input = {master_, POLLIN, 0};
    const int ready = ::poll(&input, 1, waitMs);
    if (ready <= 0)
        return ready == 0 || errno == EINTR;
    char buffer[4096];
    const ssize_t count = ::read(master_, buffer, sizeof buffer);
    if (count <= 0)
        return false; // EIO once the program closed the terminal
    output_.append(buffer, int(count));
    return true;
}

bool PtyProcess::waitForOutput(const QByteArray& text, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!output_.contains(text)) {
        if (timer.elapsed() > timeoutMs || !readSome(50))
            return output_.contains(text);
    }
    return true;
}

bool PtyProcess::waitForMatch(const QString& pattern, int timeoutMs) {
    const QRegularExpression expression(pattern);
    QElapsedTimer timer;
    timer.start();
    while (!expression.match(QString::fromUtf8(output_)).hasMatch()) {
        if (timer.elapsed() > timeoutMs || !readSome(50))
            return expression.match(QString::fromUtf8(output_)).hasMatch();
    }
    return true;
}

void PtyProcess::type(const QByteArray& text) {
    [[maybe_unused]] const ssize_t written = ::write(master_, text.constData(), text.size());
}

bool PtyProcess::reap(bool block) {
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    if (done != pid_)
        return false;
    ended_ = true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    return true;
}

int PtyProcess::waitForExit(int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!ended_) {
        // Keep draining: a program writing to a full terminal would block.
        const bool open = readSome(20);
        if (reap(false))
            break;
        if (!open)
            QThread::msleep(10);
        if (timer.elapsed() > timeoutMs) {
            ::kill(pid_, SIGKILL);
            reap(true);
            return -1;
        }
    }
    // What it wrote last.
    for (;;) {
        pollfd input = {master_, POLLIN, 0};
        if (::poll(&input, 1, 0) <= 0 || !readSome(0))
            break;
    }
    return status_;
}
