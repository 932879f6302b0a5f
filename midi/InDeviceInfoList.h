#pragma once

#include "midi/IDeviceInfoList.h"
#include "midi/InDeviceInfo.h"

#include <QList>

namespace zel::qmix::midi {

// The MIDI input ports of every running service, then the wire's.
class InDeviceInfoList : public IDeviceInfoList {
public:
    InDeviceInfoList() = default;
    explicit InDeviceInfoList(const QList<InDeviceInfo>& infos)
        : infos_(infos) {}

    void refresh() override;

    const QList<InDeviceInfo>& infos() const { return infos_; }
    qsizetype size() const { return infos_.size(); }
    bool isEmpty() const { return infos_.isEmpty(); }
    const InDeviceInfo& at(qsizetype i) const { return infos_.at(i); }
    void append(const InDeviceInfo& info) { infos_.append(info); }
    void clear() { infos_.clear(); }

private:
    QList<InDeviceInfo> infos_;
};

} // namespace zel::qmix::midi
