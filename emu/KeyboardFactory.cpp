#include "emu/KeyboardFactory.h"

#include "emu/StateFile.h"

#include <QtDebug>

namespace zel::qmix::emu {

std::unique_ptr<VirtualKeyboard> KeyboardFactory::create(const KeyboardSetup& setup,
                                                         QString* error) {
    if (!setup.model) {
        if (error)
            *error = QStringLiteral("no keyboard model given");
        return nullptr;
    }
    auto keyboard = std::make_unique<VirtualKeyboard>(setup.model, setup.faults);
    if (setup.stateDirectory.isEmpty())
        return keyboard;

    const StateFile file(setup.stateDirectory, setup.model);
    KeyboardMemory memory(setup.model);
    if (!file.load(memory, error))
        return nullptr;
    keyboard->setMemory(memory);
    keyboard->setPersistence([file](const KeyboardMemory& changed) {
        QString problem;
        if (file.save(changed, &problem))
            return true;
        qWarning().noquote() << "virtual keyboard: cannot store its memory:" << problem;
        return false;
    });
    return keyboard;
}

} // namespace zel::qmix::emu
