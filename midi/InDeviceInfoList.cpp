#include "midi/InDeviceInfoList.h"

#include "midi/RtMidiBackend.h"
#include "midi/Wire.h"

namespace zel::qmix::midi {

void InDeviceInfoList::refresh() {
    infos_.clear();
    for (MidiApi api : RtMidiBackend::runningApis()) {
        const QStringList names = RtMidiBackend::inputPortNames(api);
        for (qsizetype i = 0; i < names.size(); ++i)
            infos_.append(InDeviceInfo(api, unsigned(i), names.at(i)));
    }
    const QStringList wireNames = Wire::portNames();
    for (qsizetype i = 0; i < wireNames.size(); ++i)
        infos_.append(InDeviceInfo(MidiApi::Wire, unsigned(i), wireNames.at(i)));
}

} // namespace zel::qmix::midi
