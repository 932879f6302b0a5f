#pragma once

#include <QString>

namespace zel::qmix::cli {

// The running command's title and percentage on one line of standard error,
// as the desktop program's progress strip shows them. Only on a terminal:
// in a pipe or a log file the redrawn line would be noise.
class ProgressDisplay {
public:
    // `enabled` false shows nothing; by default it shows on a terminal only.
    explicit ProgressDisplay(bool enabled = isTerminal());
    ~ProgressDisplay();

    static bool isTerminal();

    void start(const QString& title);
    void setProgress(int done, int total);
    // Leaves the last state on screen and moves to a new line.
    void finish();

    // The percentage the progress strip would show for done of total.
    static int percent(int done, int total);
    // The line as drawn, without the carriage return.
    static QString line(const QString& title, int percent);

private:
    void draw();

    bool enabled_;
    bool active_ = false;
    QString title_;
    int percent_ = 0;
    int drawnPercent_ = -1;
};

} // namespace zel::qmix::cli
