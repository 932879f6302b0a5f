#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::cli {

// "send FILE AREA [--yes]": writes a data file into a keyboard area of the
// category its extension names, asking before an item is replaced.
class SendCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;
};

} // namespace zel::qmix::cli
