#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::cli {

// "identify": finds the keyboard and prints its model name.
class IdentifyCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;
};

} // namespace zel::qmix::cli
