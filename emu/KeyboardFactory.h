#pragma once

#include "emu/FaultPlan.h"
#include "emu/VirtualKeyboard.h"

#include <QString>

#include <memory>

namespace zel::qmix::emu {

// What a virtual keyboard is made from: its model, its faults and, if its
// memory is to outlive the run, the folder that keeps it.
struct KeyboardSetup {
    const data::KeyboardInfo* model = nullptr;
    FaultPlan faults;
    QString stateDirectory; // empty: the memory lasts as long as the keyboard
};

class KeyboardFactory {
public:
    // Builds the keyboard and, with a state folder, loads its memory from there
    // and stores every change before the keyboard confirms it. Null, with
    // `error` set, when there is no model or the stored state cannot be used.
    static std::unique_ptr<VirtualKeyboard> create(const KeyboardSetup& setup,
                                                   QString* error = nullptr);
};

} // namespace zel::qmix::emu
