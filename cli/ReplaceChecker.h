#pragma once

#include "cli/TerminalQuestion.h"
#include "etc/GenericChecker.h"

#include <atomic>

namespace zel::qmix::cli {

// Asked by a send before it overwrites an area that holds data: puts the
// message box's question "Replace <area>,\nSure?" on the terminal. Runs on
// the communication thread; while it waits for the answer it raises
// waitRequired() about every 250 ms, so the send keeps the keyboard waiting.
class ReplaceChecker : public etc::GenericChecker {
    Q_OBJECT
public:
    explicit ReplaceChecker(TerminalQuestion::Mode mode, QObject* parent = nullptr);

    bool check(QVariant subject) override;

    // Whether an area was left alone because the answer was No.
    bool declined() const { return declined_.load(); }

private:
    TerminalQuestion::Mode mode_;
    std::atomic<bool> declined_{false};
};

} // namespace zel::qmix::cli
