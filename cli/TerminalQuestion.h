#pragma once

#include <QString>

#include <functional>

namespace zel::qmix::cli {

// A yes/no question of the desktop program's message boxes, asked on the
// terminal. No is the default, as in the boxes: an empty answer, end of
// input, Ctrl-C and the absence of a terminal all mean No, so that nothing
// is overwritten unless a person (or --yes) agreed.
class TerminalQuestion {
public:
    enum class Mode {
        Ask,       // ask on the terminal; No without one
        AssumeYes, // --yes: agreed without asking
    };

    explicit TerminalQuestion(Mode mode);

    // Called about every 250 ms while the answer is awaited.
    void setWaitCallback(std::function<void()> callback) { waitCallback_ = std::move(callback); }

    // `text` is the message box's question; true only for a yes.
    bool ask(const QString& text) const;

    static bool hasTerminal();
    // Whether a typed line means yes.
    static bool isYes(const QString& answer);

    static constexpr int kWaitIntervalMs = 250;

private:
    // The typed line, or a null string when the wait ended without one.
    QString readAnswer() const;

    Mode mode_;
    std::function<void()> waitCallback_;
};

} // namespace zel::qmix::cli
