#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The longest time the GUI thread stays away from its event loop, measured by
// a 1 ms heartbeat between start() and stop().
class GuiStallMeter {
public:
    GuiStallMeter();

    void start();
    void stop();
    // Work done on the GUI thread outside the event loop counts too.
    void noteNow();
    qint64 longestMs() const { return longest_; }

private:
    QTimer heartbeat_;
    QElapsedTimer sinceBeat_;
    qint64 longest_ = 0;
};
