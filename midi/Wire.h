#pragma once

#include <QString>
#include <QStringList>

namespace zel::qmix::midi {

class WireEndpoint;

// The in-process wire: port pairs whose far end is an object of this process
// (the built-in virtual keyboard, test doubles) instead of a MIDI device. Each
// attached endpoint appears in the port lists as one input and one output
// port under its name.
class Wire {
public:
    static void attach(WireEndpoint* endpoint);
    static void detach(WireEndpoint* endpoint);
    static QStringList portNames();
    // The endpoint attached under `name`, or null.
    static WireEndpoint* endpoint(const QString& name);
};

} // namespace zel::qmix::midi
