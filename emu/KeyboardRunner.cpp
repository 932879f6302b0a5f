#include "emu/KeyboardRunner.h"

namespace zel::qmix::emu {

KeyboardRunner::KeyboardRunner(std::unique_ptr<VirtualKeyboard> keyboard, Sink sink)
    : keyboard_(std::move(keyboard))
    , sink_(std::move(sink)) {
    Q_ASSERT(keyboard_);
    keyboard_->setOutput([this](const QByteArray& message, int delayMs) {
        pending_.push_back({message, delayMs});
    });
}

KeyboardRunner::~KeyboardRunner() {
    stop();
}

void KeyboardRunner::start() {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (worker_.joinable())
        return;
    stopping_ = false;
    worker_ = std::thread(&KeyboardRunner::run, this);
}

void KeyboardRunner::stop() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopping_ = true;
        inbox_.clear();
    }
    wake_.notify_all();
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id())
        worker_.join();
}

void KeyboardRunner::post(const QByteArray& message) {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (stopping_)
            return;
        inbox_.push_back(message);
    }
    wake_.notify_one();
}

void KeyboardRunner::inspect(const std::function<void(const VirtualKeyboard&)>& look) const {
    std::lock_guard<std::mutex> lock(keyboardMutex_);
    look(*keyboard_);
}

void KeyboardRunner::run() {
    QByteArray message;
    while (nextMessage(message)) {
        const TimePoint handledAt = std::chrono::steady_clock::now();
        std::vector<Reply> replies;
        {
            std::lock_guard<std::mutex> lock(keyboardMutex_);
            keyboard_->receive(message);
            replies.swap(pending_);
        }
        deliver(replies, handledAt);
    }
}

bool KeyboardRunner::nextMessage(QByteArray& message) {
    std::unique_lock<std::mutex> lock(queueMutex_);
    wake_.wait(lock, [this] { return stopping_ || !inbox_.empty(); });
    if (stopping_)
        return false;
    message = inbox_.front();
    inbox_.pop_front();
    return true;
}

void KeyboardRunner::deliver(const std::vector<Reply>& replies, TimePoint handledAt) {
    for (const Reply& reply : replies) {
        // Replies never overtake one another.
        const TimePoint due =
            std::max(lastDue_, handledAt + std::chrono::milliseconds(reply.delayMs));
        if (!waitUntil(due))
            return;
        lastDue_ = due;
        sink_(reply.message);
    }
}

bool KeyboardRunner::waitUntil(TimePoint due) {
    std::unique_lock<std::mutex> lock(queueMutex_);
    // A reply that is already due goes out at once: even a timed wait on a
    // deadline in the past costs the kernel's timer slack, some 50 to 100 us
    // per reply, which would cap the wire at a few thousand round trips a second.
    if (std::chrono::steady_clock::now() >= due)
        return !stopping_;
    wake_.wait_until(lock, due, [this] { return stopping_; });
    return !stopping_;
}

} // namespace zel::qmix::emu
