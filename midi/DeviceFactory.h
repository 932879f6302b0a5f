#pragma once

#include "midi/InDeviceInfo.h"
#include "midi/OutDeviceInfo.h"

#include <memory>

class QObject;

namespace zel::qmix::midi {

class AbstractInDevice;
class AbstractOutDevice;

// Makes the port object that fits where a port lives: a wire port for the
// in-process wire, an RtMidi port otherwise. Ports are created closed.
class DeviceFactory {
public:
    static std::unique_ptr<AbstractInDevice> createIn(const InDeviceInfo& info,
                                                      QObject* parent = nullptr);
    static std::unique_ptr<AbstractOutDevice> createOut(const OutDeviceInfo& info,
                                                        QObject* parent = nullptr);
};

} // namespace zel::qmix::midi
