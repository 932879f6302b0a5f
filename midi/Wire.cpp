#include "midi/Wire.h"

#include "midi/WireEndpoint.h"
#include "midi/WireLink.h"

#include <QList>

#include <mutex>

namespace zel::qmix::midi {

namespace {

struct Registry {
    std::mutex mutex;
    QList<WireEndpoint*> endpoints;
};

// Never destroyed: endpoints that are static objects may detach after the
// end of main().
Registry& registry() {
    static Registry* instance = new Registry;
    return *instance;
}

} // namespace

void Wire::attach(WireEndpoint* endpoint) {
    if (!endpoint)
        return;
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    if (reg.endpoints.contains(endpoint))
        return;
    endpoint->link_ = std::make_shared<WireLink>(endpoint);
    reg.endpoints.append(endpoint);
}

void Wire::detach(WireEndpoint* endpoint) {
    std::shared_ptr<WireLink> link;
    {
        Registry& reg = registry();
        std::lock_guard<std::mutex> lock(reg.mutex);
        if (!reg.endpoints.removeOne(endpoint))
            return;
        link.swap(endpoint->link_);
    }
    // Outside the registry lock: cutting waits for deliveries in progress,
    // and those may look up the registry themselves.
    link->cut();
}

QStringList Wire::portNames() {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    QStringList names;
    for (const WireEndpoint* endpoint : reg.endpoints)
        names.append(endpoint->name());
    return names;
}

WireEndpoint* Wire::endpoint(const QString& name) {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    for (WireEndpoint* endpoint : reg.endpoints) {
        if (endpoint->name() == name)
            return endpoint;
    }
    return nullptr;
}

std::shared_ptr<WireLink> Wire::linkFor(const QString& name, unsigned int index) {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    if (index < unsigned(reg.endpoints.size()) && reg.endpoints.at(index)->name() == name)
        return reg.endpoints.at(index)->link_;
    for (const WireEndpoint* endpoint : reg.endpoints) {
        if (endpoint->name() == name)
            return endpoint->link_;
    }
    return nullptr;
}

std::shared_ptr<WireLink> Wire::linkOf(const WireEndpoint* endpoint) {
    Registry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    return endpoint->link_;
}

} // namespace zel::qmix::midi
