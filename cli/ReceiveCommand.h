#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::cli {

// "receive CATEGORY AREA [-d DIR]": saves one keyboard area in a file, named
// as the desktop program names received items.
class ReceiveCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;
};

} // namespace zel::qmix::cli
