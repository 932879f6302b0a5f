#include "cli/Interrupt.h"

#include "cli/ExitStatus.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zel::qmix::cli {

namespace {

std::atomic<bool> requested{false};
std::atomic<int> signalCount{0};
int pipeEnds[2] = {-1, -1};

// Only async-signal-safe calls in here.
void onSigint(int) {
    requested.store(true);
    if (signalCount.fetch_add(1) >= 1)
        ::_exit(ExitStatus::Interrupted);
    if (pipeEnds[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    }
}

} // namespace

Interrupt::Interrupt(QObject* parent)
    : QObject(parent) {
    // The pipe and the handler stay for the rest of the process: a signal may
    // come at any moment, also while no instance exists.
    static const bool installed = [] {
        if (::pipe(pipeEnds) == 0) {
            for (int end : pipeEnds)
                ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        }
        struct sigaction action = {};
        action.sa_handler = onSigint;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        return ::sigaction(SIGINT, &action, nullptr) == 0;
    }();
    Q_UNUSED(installed);
    if (pipeEnds[0] >= 0) {
        notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &Interrupt::onSignalPipe);
    }
}

Interrupt::~Interrupt() = default;

bool Interrupt::isRequested() {
    return requested.load();
}

void Interrupt::onSignalPipe() {
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    emit cancelRequested();
}

} // namespace zel::qmix::cli
