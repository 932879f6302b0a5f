#pragma once

#include "midi/IDeviceInfoList.h"
#include "midi/OutDeviceInfo.h"

#include <QList>

namespace zel::qmix::midi {

// The MIDI output ports of every running service, then the wire's.
class OutDeviceInfoList : public IDeviceInfoList {
public:
    OutDeviceInfoList() = default;
    explicit OutDeviceInfoList(const QList<OutDeviceInfo>& infos)
        : infos_(infos) {}

    void refresh() override;

    const QList<OutDeviceInfo>& infos() const { return infos_; }
    qsizetype size() const { return infos_.size(); }
    bool isEmpty() const { return infos_.isEmpty(); }
    const OutDeviceInfo& at(qsizetype i) const { return infos_.at(i); }
    void append(const OutDeviceInfo& info) { infos_.append(info); }
    void clear() { infos_.clear(); }

private:
    QList<OutDeviceInfo> infos_;
};

} // namespace zel::qmix::midi
