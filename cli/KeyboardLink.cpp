#include "cli/KeyboardLink.h"

#include "comm/KeyboardCommunicator.h"
#include "comm/ModelIdentifier.h"
#include "data/KeyboardInfo.h"
#include "emu/KeyboardWireEndpoint.h"
#include "etc/Settings.h"

namespace zel::qmix::cli {

KeyboardLink::KeyboardLink(const GlobalOptions& options)
    : options_(options) {}

KeyboardLink::~KeyboardLink() {
    // The ports close before the far end of the wire goes away.
    communicator_.reset();
    emulated_.reset();
}

bool KeyboardLink::startEmulation() {
    emulated_ = emu::KeyboardWireEndpoint::emulate(options_.emulationArguments(), &error_);
    if (!emulated_)
        return false;
    // A name no MIDI service uses, so that the patterns below find only it.
    options_.inPattern = emulated_->name();
    options_.outPattern = emulated_->name();
    return true;
}

data::KeyboardInfo* KeyboardLink::connectAndIdentify() {
    if (!options_.emulatedModel.isEmpty() && !emulated_ && !startEmulation())
        return nullptr;
    const comm::PortChoice ports =
        options_.inPattern.isEmpty()
            ? comm::PortChoice::search()
            : comm::PortChoice::matching(options_.inPattern, options_.outPattern);
    communicator_ = std::make_unique<comm::KeyboardCommunicator>(ports);
    if (!communicator_->isConnected()) {
        error_ = ports.searches()
                     ? QStringLiteral("no keyboard answers on any MIDI port")
                     : QStringLiteral("no MIDI ports match --in \"%1\" and --out \"%2\"")
                           .arg(ports.inPattern, ports.outPattern);
        return nullptr;
    }

    // A real keyboard is remembered as the last connected one, as the desktop
    // program does; the built-in virtual one is not.
    etc::Settings* settings = emulated_ ? nullptr : etc::Settings::instance();
    comm::ModelIdentifier identifier(*communicator_, settings);
    data::KeyboardInfo* model = identifier.identify(comm::ModelIdentifier::Reconnect::Skip);
    if (!model) {
        error_ = identifier.reportedName().isEmpty()
                     ? QStringLiteral("the keyboard did not tell its model name")
                     : QStringLiteral("the keyboard reports the unsupported model \"%1\"")
                           .arg(identifier.reportedName());
    }
    return model;
}

} // namespace zel::qmix::cli
