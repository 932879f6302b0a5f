#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::cli {

// "restore FILE [--yes]": writes a backup file back into the keyboard, after
// the question the restore button asks.
class RestoreCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;
};

} // namespace zel::qmix::cli
