#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::cli {

// "backup [-d DIR]": saves the whole keyboard in one backup file, named as
// the backup button names it.
class BackupCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;
};

} // namespace zel::qmix::cli
