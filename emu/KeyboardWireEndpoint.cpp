#include "emu/KeyboardWireEndpoint.h"

#include "data/KeyboardInfo.h"
#include "emu/KeyboardFactory.h"
#include "emu/KeyboardOptions.h"
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

std::unique_ptr<KeyboardWireEndpoint>
KeyboardWireEndpoint::emulate(const QStringList& keyboardArguments, QString* error) {
    KeyboardOptions parsed;
    if (!parsed.parse(keyboardArguments, error))
        return nullptr;
    const KeyboardSetup& setup = parsed.setup();
    std::unique_ptr<VirtualKeyboard> keyboard = KeyboardFactory::create(setup, error);
    if (!keyboard)
        return nullptr;
    const QString name = QStringLiteral("Emulated %1").arg(setup.model->modelName().trimmed());
    auto endpoint = std::make_unique<KeyboardWireEndpoint>(std::move(keyboard), name);
    midi::Wire::attach(endpoint.get());
    return endpoint;
}

} // namespace zel::qmix::emu
