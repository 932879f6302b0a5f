#pragma once

#include "tests/comm/TransferKeyboard.h"

#include "comm/KeyboardCommunicator.h"
#include "data/KeyboardInfo.h"

#include <memory>

// A virtual keyboard of one model on the in-process wire and a communicator
// connected to it by name, with the model made current, as the window does
// after identifying a keyboard. The communicator goes first on destruction,
// so no command talks to a keyboard that has gone.
class WiredKeyboard {
public:
    explicit WiredKeyboard(const QString& modelName,
                           const TransferKeyboard::Preparation& prepare = {},
                           const zel::qmix::emu::FaultPlan& faults = {});
    ~WiredKeyboard();

    // The port name both ends use.
    QString portName() const;
    zel::qmix::data::KeyboardInfo* model() const { return model_; }
    TransferKeyboard& keyboard() { return *keyboard_; }
    zel::qmix::comm::KeyboardCommunicator* communicator() { return communicator_.get(); }

private:
    zel::qmix::data::KeyboardInfo* model_;
    std::unique_ptr<TransferKeyboard> keyboard_;
    std::unique_ptr<zel::qmix::comm::KeyboardCommunicator> communicator_;
};
