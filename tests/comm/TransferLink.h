#pragma once

#include "TransferKeyboard.h"

#include "midi/DeviceHandler.h"

// The virtual keyboard on the wire and the program's device handler opened
// on it, for commands run on the test's own thread.
struct TransferLink {
    TransferLink(const QString& name, const zel::qmix::data::KeyboardInfo* model,
                 const zel::qmix::emu::FaultPlan& faults = {},
                 const TransferKeyboard::Preparation& prepare = {})
        : keyboard(name, model, faults, prepare) {
        connected = handler.openMatching(name, name);
    }
    TransferLink(const QString& name, const zel::qmix::data::KeyboardInfo* model,
                 const TransferKeyboard::Preparation& prepare)
        : TransferLink(name, model, {}, prepare) {}
    ~TransferLink() { handler.disconnectDevice(); }

    TransferKeyboard keyboard;
    zel::qmix::midi::DeviceHandler handler;
    bool connected = false;
};
