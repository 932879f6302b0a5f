#pragma once

#include "emu/KeyboardRunner.h"
#include "midi/WireEndpoint.h"

#include <memory>

namespace zel::qmix::emu {

// A virtual keyboard at the far end of the in-process wire. It answers on its
// own thread, so replies reach the program asynchronously, as from a device,
// and delays (a busy keyboard, an injected slowness) hold them back there.
// Attach it with midi::Wire::attach() to make it appear in the port lists.
class KeyboardWireEndpoint : public midi::WireEndpoint {
public:
    static QString defaultName();

    // `keyboard` must not be null (see KeyboardFactory::create()).
    explicit KeyboardWireEndpoint(std::unique_ptr<VirtualKeyboard> keyboard,
                                  const QString& name = defaultName());
    // Detaches from the wire first, so no message arrives while the keyboard
    // is shut down.
    ~KeyboardWireEndpoint() override;

    void receiveFromProgram(const QByteArray& message) override;

    // Lets `look` see the keyboard between two messages.
    void inspect(const std::function<void(const VirtualKeyboard&)>& look) const;

    // The built-in keyboard of a front end's --emulate option, described by
    // the stand-alone keyboard's command line (program name first), attached
    // to the wire under a name no MIDI service uses ("Emulated <model>").
    // Null, with `error` set, when the arguments cannot be used.
    static std::unique_ptr<KeyboardWireEndpoint> emulate(const QStringList& keyboardArguments,
                                                         QString* error);

private:
    KeyboardRunner runner_;
};

} // namespace zel::qmix::emu
