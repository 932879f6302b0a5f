#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::cli {

// "memory CATEGORY": how full the keyboard's memory for a category is, as
// the keyboard view's memory bar shows it.
class MemoryCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

    struct Usage {
        int used = 0;
        int total = 0;
        int percent = 0;
    };
    // The keyboard's figures less what the empty areas take by themselves
    // (`reserved`), and the percentage of the memory bar: at least 1 while
    // anything is stored, at most 99, and 99 when a category with no room
    // left holds something.
    static Usage usageOf(int usedSize, int totalSize, int reserved);

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;
};

} // namespace zel::qmix::cli
