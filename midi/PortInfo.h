#pragma once

#include "midi/IDeviceInfo.h"
#include "midi/MidiApi.h"

namespace zel::qmix::midi {

// What a port list records of one port: its API, its index in that API's
// list at the time of listing, and its name. Indexes shift when devices come
// and go, so a port is looked up again by name right before it is opened.
class PortInfo : public IDeviceInfo {
public:
    PortInfo() = default;
    PortInfo(MidiApi api, unsigned int index, const QString& name)
        : api_(api)
        , index_(index)
        , name_(name) {}

    QString name() const override { return name_; }
    MidiApi api() const { return api_; }
    unsigned int index() const { return index_; }

    bool operator==(const PortInfo& other) const {
        return api_ == other.api_ && index_ == other.index_ && name_ == other.name_;
    }

private:
    MidiApi api_ = MidiApi::Wire;
    unsigned int index_ = 0;
    QString name_;
};

} // namespace zel::qmix::midi
