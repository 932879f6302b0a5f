#pragma once

#include <QByteArray>

namespace zel::qmix::midi::test {

// Catches what the process writes to one of its standard streams (1 or 2),
// C and C++ output alike, until finish().
class OutputCapture {
public:
    explicit OutputCapture(int fd);
    ~OutputCapture();

    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // Restores the stream and returns what was written meanwhile.
    QByteArray finish();

private:
    int fd_;
    int saved_ = -1;
    int file_ = -1;
};

} // namespace zel::qmix::midi::test
