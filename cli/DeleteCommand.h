#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::cli {

// "delete CATEGORY AREA": clears an area the way the keyboard view does, by
// writing the empty item the keyboard keeps in a cleared area.
class DeleteCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;
};

} // namespace zel::qmix::cli
