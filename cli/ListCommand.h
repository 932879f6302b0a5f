#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::cli {

// "list CATEGORY": what each area of a category holds, as the keyboard view
// shows it.
class ListCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;
};

} // namespace zel::qmix::cli
