#pragma once

#include "emu/KeyboardFactory.h"
#include "emu/KeyboardMemory.h"
#include "emu/KeyboardRunner.h"
#include "midi/Wire.h"
#include "midi/WireEndpoint.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

// A virtual keyboard of a given model on the in-process wire, under a name
// of its own, with its memory prepared by the test. It answers on its own
// thread, as a device does.
//
// Every message it sends is also kept until it goes. The keyboard and the
// program share each message's bytes, and Qt, which is not built with
// ThreadSanitizer, drops its references out of the checker's sight; kept
// here, the bytes are released only once both sides have ended.
class VirtualKeyboardOnWire : public zel::qmix::midi::WireEndpoint {
public:
    using Preparation = std::function<void(zel::qmix::emu::KeyboardMemory&)>;

    VirtualKeyboardOnWire(const QString& name, const zel::qmix::data::KeyboardInfo* model,
                          const Preparation& prepare = {},
                          const zel::qmix::emu::FaultPlan& faults = {})
        : zel::qmix::midi::WireEndpoint(name)
        , runner_(makeKeyboard(model, prepare, faults),
                  [this](const QByteArray& message) { fromKeyboard(message); }) {
        runner_.start();
        zel::qmix::midi::Wire::attach(this);
    }

    ~VirtualKeyboardOnWire() override {
        zel::qmix::midi::Wire::detach(this);
        runner_.stop();
    }

    void receiveFromProgram(const QByteArray& message) override { runner_.post(message); }

    zel::qmix::emu::KeyboardMemory memory() const {
        std::unique_ptr<zel::qmix::emu::KeyboardMemory> copy;
        runner_.inspect([&](const zel::qmix::emu::VirtualKeyboard& keyboard) {
            copy = std::make_unique<zel::qmix::emu::KeyboardMemory>(keyboard.memory());
        });
        return *copy;
    }

    QByteArray areaData(int category, int area) const { return memory().areaData(category, area); }

    // How many messages the keyboard has taken in.
    int receivedCount() const {
        int count = 0;
        runner_.inspect([&](const zel::qmix::emu::VirtualKeyboard& keyboard) {
            count = keyboard.receivedCount();
        });
        return count;
    }
    // The picture last put on the keyboard's display.
    QByteArray lcdPicture() const {
        QByteArray picture;
        runner_.inspect([&](const zel::qmix::emu::VirtualKeyboard& keyboard) {
            picture = keyboard.lcdPicture();
        });
        return picture;
    }

private:
    static std::unique_ptr<zel::qmix::emu::VirtualKeyboard>
    makeKeyboard(const zel::qmix::data::KeyboardInfo* model, const Preparation& prepare,
                 const zel::qmix::emu::FaultPlan& faults) {
        zel::qmix::emu::KeyboardSetup setup;
        setup.model = model;
        setup.faults = faults;
        auto keyboard = zel::qmix::emu::KeyboardFactory::create(setup);
        auto memory = zel::qmix::emu::KeyboardMemory::factoryDefault(model);
        if (prepare)
            prepare(memory);
        keyboard->setMemory(memory);
        return keyboard;
    }

    void fromKeyboard(const QByteArray& message) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            sent_.append(message);
        }
        sendToProgram(message);
    }

    std::mutex mutex_;
    QList<QByteArray> sent_;
    zel::qmix::emu::KeyboardRunner runner_;
};
