#pragma once

#include "ScriptedKeyboard.h"

#include "midi/DeviceHandler.h"

#include <QByteArray>
#include <QString>

#include <memory>

// A scripted keyboard on the wire and a device handler whose ports are open
// on it, for tests that run commands on their own thread.
struct KeyboardFixture {
    explicit KeyboardFixture(const QString& name)
        : keyboard(std::make_unique<ScriptedKeyboard>(name)) {
        connected = handler.openMatching(name, name);
    }
    ~KeyboardFixture() { handler.disconnectDevice(); }

    std::unique_ptr<ScriptedKeyboard> keyboard;
    zel::qmix::midi::DeviceHandler handler;
    bool connected = false;
};

// Parameter messages of category 0 as the keyboard receives them.
QByteArray parameterRequest(int id, int offset, int length);
QByteArray parameterWrite(int id, int value);
