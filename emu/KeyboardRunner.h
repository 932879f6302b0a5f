#pragma once

#include "emu/VirtualKeyboard.h"

#include <QByteArray>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace zel::qmix::emu {

// Runs a virtual keyboard on a thread of its own, as a device would: messages
// are posted from any thread and handled one after another, and each reply
// leaves through the sink when its delay has passed. A delayed reply holds up
// the messages behind it, as a busy keyboard does.
class KeyboardRunner {
public:
    // Called on the runner's thread with every message the keyboard sends.
    using Sink = std::function<void(const QByteArray& message)>;

    KeyboardRunner(std::unique_ptr<VirtualKeyboard> keyboard, Sink sink);
    ~KeyboardRunner();

    KeyboardRunner(const KeyboardRunner&) = delete;
    KeyboardRunner& operator=(const KeyboardRunner&) = delete;

    void start();
    // Ends the thread; messages not handled yet and replies not sent yet are
    // dropped, as when a keyboard is switched off.
    void stop();

    // Never blocks for longer than it takes to queue the message.
    void post(const QByteArray& message);

    // Lets `look` see the keyboard between two messages.
    void inspect(const std::function<void(const VirtualKeyboard&)>& look) const;

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    struct Reply {
        QByteArray message;
        int delayMs;
    };

    void run();
    bool nextMessage(QByteArray& message);
    void deliver(const std::vector<Reply>& replies, TimePoint handledAt);
    // False when the runner is stopping.
    bool waitUntil(TimePoint due);

    std::unique_ptr<VirtualKeyboard> keyboard_;
    Sink sink_;
    std::vector<Reply> pending_; // the worker's only

    mutable std::mutex keyboardMutex_;
    std::mutex queueMutex_;
    std::condition_variable wake_;
    std::deque<QByteArray> inbox_;
    bool stopping_ = false;
    TimePoint lastDue_;
    std::thread worker_;
};

} // namespace zel::qmix::emu
