#include "cli/TerminalQuestion.h"

#include "cli/Console.h"
#include "cli/Interrupt.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace zel::qmix::cli {

TerminalQuestion::TerminalQuestion(Mode mode)
    : mode_(mode) {}

bool TerminalQuestion::hasTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

bool TerminalQuestion::isYes(const QString& answer) {
    const QString word = answer.trimmed().toLower();
    return word == QLatin1String("y") || word == QLatin1String("yes");
}

bool TerminalQuestion::ask(const QString& text) const {
    if (mode_ == Mode::AssumeYes)
        return true;
    if (!hasTerminal()) {
        Console::printErr(text + QStringLiteral("\nNo (no terminal to ask on; --yes agrees)\n"));
        return false;
    }
    // Over a progress line that may be on screen.
    const QString clearLine = ::isatty(STDERR_FILENO) == 1 ? QStringLiteral("\r\x1b[K") : QString();
    Console::printErr(clearLine + text + QStringLiteral(" [y/N] "));
    const QString answer = readAnswer();
    if (answer.isNull())
        Console::printErr(QStringLiteral("\n"));
    return isYes(answer);
}

QString TerminalQuestion::readAnswer() const {
    QByteArray line;
    QElapsedTimer sinceCallback;
    sinceCallback.start();
    for (;;) {
        if (Interrupt::isRequested())
            return {};
        // Also while someone types slowly, the callback keeps its pace.
        if (sinceCallback.elapsed() >= kWaitIntervalMs) {
            if (waitCallback_)
                waitCallback_();
            sinceCallback.restart();
        }
        pollfd input = {STDIN_FILENO, POLLIN, 0};
        const int remaining = std::max(1, kWaitIntervalMs - int(sinceCallback.elapsed()));
        const int ready = ::poll(&input, 1, remaining);
        if (ready < 0 && errno != EINTR)
            return {};
        if (ready <= 0)
            continue;
        char byte = 0;
        const ssize_t count = ::read(STDIN_FILENO, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return {};
        if (byte == '\n')
            return QString::fromLocal8Bit(line);
        line.append(byte);
    }
}

} // namespace zel::qmix::cli
