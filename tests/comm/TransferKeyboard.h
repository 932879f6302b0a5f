#pragma once

#include "comm/AbstractCommand.h"
#include "data/KeyboardInfo.h"
#include "emu/FaultPlan.h"
#include "emu/KeyboardFactory.h"
#include "emu/KeyboardMemory.h"
#include "emu/KeyboardRunner.h"
#include "emu/VirtualKeyboard.h"
#include "midi/Wire.h"
#include "midi/WireEndpoint.h"
#include "sysex/BlockAddress.h"
#include "sysex/MessageType.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

// A virtual keyboard of a given model on the in-process wire, under a name
// of its own, with its memory prepared by the test. It answers on its own
// thread, as a device does, and is attached to the wire while it lives.
//
// It logs every message in both directions and can lose chosen messages on
// the way, as a bad cable would: the program's (which the virtual keyboard's
// own faults cannot do) and the keyboard's. It can also put another device's
// messages on the cable.
//
// Every message that crosses it is also kept until it goes, apart from the
// log, which a test may clear. The keyboard and the program share each
// message's bytes, and Qt, which is not built with ThreadSanitizer, drops its
// references out of the checker's sight; kept here, the bytes are released
// only once both sides have ended.
class TransferKeyboard : public zel::qmix::midi::WireEndpoint {
public:
    enum class From { Program, Keyboard };

    struct Message {
        From from = From::Program;
        int type = -1;
        QByteArray bytes;
        qint64 atMs = 0;
        bool lost = false;
    };

    // Whether to lose the `occurrence`-th message of `type` (counted from 1,
    // per direction and type).
    using Loss = std::function<bool(int type, int occurrence)>;
    using Preparation = std::function<void(zel::qmix::emu::KeyboardMemory&)>;

    TransferKeyboard(const QString& name, const zel::qmix::data::KeyboardInfo* model,
                     const zel::qmix::emu::FaultPlan& faults = {}, const Preparation& prepare = {})
        : zel::qmix::midi::WireEndpoint(name)
        , runner_(makeKeyboard(model, faults, prepare),
                  [this](const QByteArray& message) { fromKeyboard(message); }) {
        clock_.start();
        runner_.start();
        zel::qmix::midi::Wire::attach(this);
    }

    ~TransferKeyboard() override {
        zel::qmix::midi::Wire::detach(this);
        runner_.stop();
    }

    void receiveFromProgram(const QByteArray& message) override {
        if (!note(From::Program, message))
            runner_.post(message);
    }

    void loseFromProgram(Loss loss) {
        const std::lock_guard<std::mutex> lock(mutex_);
        programLoss_ = std::move(loss);
    }
    void loseFromKeyboard(Loss loss) {
        const std::lock_guard<std::mutex> lock(mutex_);
        keyboardLoss_ = std::move(loss);
    }
    // Sent to the program ahead of every message of the keyboard, as another
    // device on the same cable would.
    void setNoise(const QByteArray& message) {
        const std::lock_guard<std::mutex> lock(mutex_);
        noise_ = message;
    }

    // Sent to the program once, just ahead of the keyboard's `occurrence`-th
    // message of `type`.
    void injectBefore(int type, int occurrence, const QByteArray& message) {
        const std::lock_guard<std::mutex> lock(mutex_);
        injection_ = Injection{type, occurrence, message};
    }

    QList<Message> messages() const {
        // Copied element by element: a list that shared its storage with the
        // log would be detached later, outside the lock.
        const std::lock_guard<std::mutex> lock(mutex_);
        QList<Message> copy;
        copy.reserve(log_.size());
        for (const Message& message : log_)
            copy.append(message);
        return copy;
    }
    void clearLog() {
        const std::lock_guard<std::mutex> lock(mutex_);
        log_.clear();
    }
    // The program's messages that are no parameter traffic, in order.
    QList<Message> transferFromProgram() const {
        QList<Message> transfer;
        for (const Message& message : messages()) {
            if (message.from == From::Program &&
                message.type != zel::qmix::sysex::MessageType::IPR &&
                message.type != zel::qmix::sysex::MessageType::IPS)
                transfer.append(message);
        }
        return transfer;
    }
    QList<int> transferTypesFromProgram() const {
        QList<int> types;
        for (const Message& message : transferFromProgram())
            types.append(message.type);
        return types;
    }
    int count(From from, int type) const {
        int n = 0;
        for (const Message& message : messages())
            n += message.from == from && message.type == type ? 1 : 0;
        return n;
    }

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

    // The block address of an SCM-shaped or HBS message.
    static zel::qmix::sysex::BlockAddress addressOf(const QByteArray& message) {
        return zel::qmix::sysex::BlockAddress::read(message, 6);
    }

private:
    static std::unique_ptr<zel::qmix::emu::VirtualKeyboard>
    makeKeyboard(const zel::qmix::data::KeyboardInfo* model,
                 const zel::qmix::emu::FaultPlan& faults, const Preparation& prepare) {
        zel::qmix::emu::KeyboardSetup setup;
        setup.model = model;
        setup.faults = faults;
        std::unique_ptr<zel::qmix::emu::VirtualKeyboard> keyboard =
            zel::qmix::emu::KeyboardFactory::create(setup);
        // A new keyboard holds its model's factory memory; the test prepares
        // that.
        if (prepare) {
            zel::qmix::emu::KeyboardMemory memory = keyboard->memory();
            prepare(memory);
            keyboard->setMemory(memory);
        }
        return keyboard;
    }

    void fromKeyboard(const QByteArray& message) {
        QByteArray noise;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            noise = noise_;
            const int type = message.size() > 5 ? quint8(message.at(5)) : -1;
            if (type == injection_.type &&
                counts_.value(qMakePair(int(From::Keyboard), type)) + 1 == injection_.occurrence)
                noise += injection_.message;
            if (!noise.isEmpty())
                kept_.append(noise);
        }
        if (!noise.isEmpty())
            sendToProgram(noise);
        if (!note(From::Keyboard, message))
            sendToProgram(message);
    }

    // Logs the message; true when it is to be lost.
    bool note(From from, const QByteArray& message) {
        const int type = message.size() > 5 ? quint8(message.at(5)) : -1;
        const std::lock_guard<std::mutex> lock(mutex_);
        const int occurrence = ++counts_[qMakePair(int(from), type)];
        const Loss& loss = from == From::Program ? programLoss_ : keyboardLoss_;
        const bool lost = loss && loss(type, occurrence);
        log_.append(Message{from, type, message, clock_.elapsed(), lost});
        kept_.append(message);
        return lost;
    }

    QElapsedTimer clock_;
    mutable std::mutex mutex_;
    QList<Message> log_;
    QList<QByteArray> kept_;
    QMap<QPair<int, int>, int> counts_;
    Loss programLoss_;
    Loss keyboardLoss_;
    QByteArray noise_;
    struct Injection {
        int type = -1;
        int occurrence = 0;
        QByteArray message;
    } injection_;
    // Last, so that everything its thread touches is there before it and
    // still there after it.
    zel::qmix::emu::KeyboardRunner runner_;
};

// Bytes that differ from block to block, so a block out of place shows.
inline QByteArray patternData(int size, int seed = 1) {
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 31 + seed * 7 + (i >> 8) * 13) & 0xFF);
    return data;
}

// What a command run on the test's own thread reported.
struct CommandRun {
    int errorCode = -1;
    QVariant result;
    QList<QPair<int, int>> progress;
    int cancelDisableRequests = 0;
};

// Runs the command to its end on this thread, collecting its reports. The
// progress may come from another thread (the deletion's timer), hence the
// lock and the direct connections.
template <class Command> CommandRun runCommand(Command& command) {
    auto progress = std::make_shared<std::pair<std::mutex, QList<QPair<int, int>>>>();
    CommandRun run;
    QObject::connect(
        &command, &zel::qmix::comm::AbstractCommand::progress, &command,
        [progress](int done, int total) {
            const std::lock_guard<std::mutex> lock(progress->first);
            progress->second.append(qMakePair(done, total));
        },
        Qt::DirectConnection);
    QObject::connect(
        &command, &zel::qmix::comm::AbstractCommand::cancelDisableRequested, &command,
        [&run] { ++run.cancelDisableRequests; }, Qt::DirectConnection);
    command.execute();
    run.errorCode = command.errorCode();
    run.result = command.result();
    const std::lock_guard<std::mutex> lock(progress->first);
    run.progress = progress->second;
    return run;
}
