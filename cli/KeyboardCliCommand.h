#pragma once

#include "cli/CliCommand.h"

namespace zel::qmix::cli {

class KeyboardLink;

// A command that needs the keyboard: connects and identifies it first, and
// reports a keyboard that cannot be reached the same way for every command.
class KeyboardCliCommand : public CliCommand {
public:
    int run(const QStringList& arguments, const GlobalOptions& options) override;

protected:
    // Runs with the keyboard connected and its model current.
    virtual int runConnected(const QStringList& arguments, KeyboardLink& link) = 0;
    // Checks the arguments before anything is connected; an empty string
    // means they are fine.
    virtual QString checkArguments(const QStringList& arguments) const = 0;
};

} // namespace zel::qmix::cli
