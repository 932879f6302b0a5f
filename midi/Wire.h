#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace zel::qmix::midi {

class WireEndpoint;
class WireLink;

// The in-process wire: port pairs whose far end is an object of this process
// (the built-in virtual keyboard, test doubles) instead of a MIDI device. Each
// attached endpoint appears in the port lists as one input and one output
// port under its name. All operations are thread-safe.
class Wire {
public:
    // Attaching an endpoint that is already attached does nothing.
    static void attach(WireEndpoint* endpoint);
    // Unplugs the endpoint: ports of the program that are open on it stay
    // open but carry nothing any more. Waits for deliveries to and from the
    // endpoint that other threads have in progress, so once it returns the
    // endpoint is no longer called and may be destroyed. Does nothing for an
    // endpoint that is not attached.
    static void detach(WireEndpoint* endpoint);
    // Names of the attached endpoints, in the order of attachment.
    static QStringList portNames();
    // The endpoint attached under `name`, or null.
    static WireEndpoint* endpoint(const QString& name);

private:
    friend class WireEndpoint;
    friend class WireInDevice;
    friend class WireOutDevice;

    // The link of the endpoint attached as port `index` under `name`; when
    // the index has moved, the first one of that name; null when none is.
    static std::shared_ptr<WireLink> linkFor(const QString& name, unsigned int index);
    // The link of an attached endpoint, or null.
    static std::shared_ptr<WireLink> linkOf(const WireEndpoint* endpoint);
};

} // namespace zel::qmix::midi
