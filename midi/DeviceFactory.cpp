#include "midi/DeviceFactory.h"

#include "midi/InDevice.h"
#include "midi/JackInDevice.h"
#include "midi/JackOutDevice.h"
#include "midi/OutDevice.h"
#include "midi/WireInDevice.h"
#include "midi/WireOutDevice.h"

namespace zel::qmix::midi {

std::unique_ptr<AbstractInDevice> DeviceFactory::createIn(const InDeviceInfo& info,
                                                          QObject* parent) {
    if (info.api() == MidiApi::Wire)
        return std::make_unique<WireInDevice>(info, parent);
    if (info.api() == MidiApi::Jack)
        return std::make_unique<JackInDevice>(info, parent);
    return std::make_unique<InDevice>(info, parent);
}

std::unique_ptr<AbstractOutDevice> DeviceFactory::createOut(const OutDeviceInfo& info,
                                                            QObject* parent) {
    if (info.api() == MidiApi::Wire)
        return std::make_unique<WireOutDevice>(info, parent);
    if (info.api() == MidiApi::Jack)
        return std::make_unique<JackOutDevice>(info, parent);
    return std::make_unique<OutDevice>(info, parent);
}

} // namespace zel::qmix::midi
