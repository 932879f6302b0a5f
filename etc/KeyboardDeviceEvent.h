#pragma once

namespace zel::qmix::etc {

// What a USB notification means for the keyboard connection.
enum class KeyboardDeviceEvent {
    None,      // another device, or nothing that changes the connection
    Plugged,   // the keyboard was plugged in
    Unplugged, // the keyboard was unplugged
};

} // namespace zel::qmix::etc
