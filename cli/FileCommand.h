#pragma once

#include "cli/CliCommand.h"

namespace zel::qmix::cli {

// "file info", "file check" and "file new": what a keyboard data file holds,
// whether a keyboard model would take it, and an empty item to start from.
class FileCommand : public CliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;
    int run(const QStringList& arguments, const GlobalOptions& options) override;

private:
    int info(const QStringList& arguments) const;
    int check(const QStringList& arguments) const;
    int create(const QStringList& arguments) const;
};

} // namespace zel::qmix::cli
