#pragma once

#include "cli/GlobalOptions.h"

#include <QString>

#include <memory>

namespace zel::qmix::comm {
class KeyboardCommunicator;
}
namespace zel::qmix::data {
class KeyboardInfo;
}
namespace zel::qmix::emu {
class KeyboardWireEndpoint;
}

namespace zel::qmix::cli {

// The keyboard a command talks to, reached as the global options say: found
// by searching the MIDI ports, opened by name patterns, or the built-in
// virtual keyboard on the in-process wire.
class KeyboardLink {
public:
    explicit KeyboardLink(const GlobalOptions& options);
    ~KeyboardLink();

    // Connects and identifies the model, which becomes the current model.
    // Null when no supported keyboard answers; errorText() then says why.
    data::KeyboardInfo* connectAndIdentify();
    QString errorText() const { return error_; }

    comm::KeyboardCommunicator* communicator() const { return communicator_.get(); }

private:
    bool startEmulation();

    GlobalOptions options_;
    QString error_;
    std::unique_ptr<emu::KeyboardWireEndpoint> emulated_;
    std::unique_ptr<comm::KeyboardCommunicator> communicator_;
};

} // namespace zel::qmix::cli
