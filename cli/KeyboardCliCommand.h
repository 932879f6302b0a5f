#pragma once

#include "cli/CliCommand.h"
#include "comm/BulkSendCommandResult.h"

namespace zel::qmix::cli {

class Interrupt;
class KeyboardLink;

// A command that needs the keyboard: connects and identifies it first, and
// reports a keyboard that cannot be reached the same way for every command.
// Ctrl-C is watched from before the keyboard is searched until the end; a
// command that was interrupted ends with the interrupt status once its
// keyboard commands have ended.
class KeyboardCliCommand : public CliCommand {
public:
    int run(const QStringList& arguments, const GlobalOptions& options) override;

protected:
    // Runs with the keyboard connected and its model current.
    virtual int runConnected(const QStringList& arguments, KeyboardLink& link) = 0;
    // Checks the arguments before anything is connected; an empty string
    // means they are fine.
    virtual QString checkArguments(const QStringList& arguments) const = 0;

    // Valid while run() runs.
    Interrupt& interrupt() const { return *interrupt_; }

    // What the desktop program does after a successful transfer on a
    // second-generation model: close the series of transfers, so the
    // keyboard leaves its transfer display. Returns once that has happened,
    // with the closing command's result: the communication error and the
    // area when a send of the series was not stored whole.
    comm::BulkSendCommandResult closeSeries(KeyboardLink& link, int category, int areaNumber);

private:
    Interrupt* interrupt_ = nullptr;
};

} // namespace zel::qmix::cli
