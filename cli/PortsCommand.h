#pragma once

#include "cli/CliCommand.h"

namespace zel::qmix::cli {

// "ports": every MIDI port the program sees, and whether it may be the keyboard's.
class PortsCommand : public CliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;
    int run(const QStringList& arguments, const GlobalOptions& options) override;
};

} // namespace zel::qmix::cli
