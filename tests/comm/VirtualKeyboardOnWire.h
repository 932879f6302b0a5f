#pragma once

#include "emu/KeyboardFactory.h"
#include "emu/KeyboardMemory.h"
#include "emu/KeyboardWireEndpoint.h"
#include "midi/Wire.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// A virtual keyboard of a given model on the in-process wire, under a name
// of its own, with its memory prepared by the test. It answers on its own
// thread, as a device does.
class VirtualKeyboardOnWire {
public:
    using Preparation = std::function<void(zel::qmix::emu::KeyboardMemory&)>;

    VirtualKeyboardOnWire(const QString& name, const zel::qmix::data::KeyboardInfo* model,
                          const Preparation& prepare = {},
                          const zel::qmix::emu::FaultPlan& faults = {})
        : name_(name) {
        zel::qmix::emu::KeyboardSetup setup;
        setup.model = model;
        setup.faults = faults;
        auto keyboard = zel::qmix::emu::KeyboardFactory::create(setup);
        auto memory = zel::qmix::emu::KeyboardMemory::factoryDefault(model);
        if (prepare)
            prepare(memory);
        keyboard->setMemory(memory);
        endpoint_ =
            std::make_unique<zel::qmix::emu::KeyboardWireEndpoint>(std::move(keyboard), name);
        zel::qmix::midi::Wire::attach(endpoint_.get());
    }

    const QString& name() const { return name_; }

    zel::qmix::emu::KeyboardMemory memory() const {
        std::unique_ptr<zel::qmix::emu::KeyboardMemory> copy;
        endpoint_->inspect([&](const zel::qmix::emu::VirtualKeyboard& keyboard) {
            copy = std::make_unique<zel::qmix::emu::KeyboardMemory>(keyboard.memory());
        });
        return *copy;
    }

    QByteArray areaData(int category, int area) const { return memory().areaData(category, area); }

    // The picture last put on the keyboard's display.
    QByteArray lcdPicture() const {
        QByteArray picture;
        endpoint_->inspect([&](const zel::qmix::emu::VirtualKeyboard& keyboard) {
            picture = keyboard.lcdPicture();
        });
        return picture;
    }

private:
    QString name_;
    std::unique_ptr<zel::qmix::emu::KeyboardWireEndpoint> endpoint_;
};
