#include "emu/KeyboardWireEndpoint.h"

#include "midi/Wire.h"

namespace zel::qmix::emu {

QString KeyboardWireEndpoint::defaultName() {
    return QStringLiteral("ToneHarbour Virtual Keyboard");
}

KeyboardWireEndpoint::KeyboardWireEndpoint(std::unique_ptr<VirtualKeyboard> keyboard,
                                           const QString& name)
    : midi::WireEndpoint(name)
    , runner_(std::move(keyboard), [this](const QByteArray& message) { sendToProgram(message); }) {
    runner_.start();
}

KeyboardWireEndpoint::~KeyboardWireEndpoint() {
    midi::Wire::detach(this);
    runner_.stop();
}

void KeyboardWireEndpoint::receiveFromProgram(const QByteArray& message) {
    runner_.post(message);
}

void KeyboardWireEndpoint::inspect(const std::function<void(const VirtualKeyboard&)>& look) const {
    runner_.inspect(look);
}

} // namespace zel::qmix::emu
