#pragma once

#include "cli/CliCommand.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace zel::qmix::cli {

// Dispatches the first word of the command line to its command.
class CommandLine {
public:
    CommandLine();
    ~CommandLine();

    // `arguments` without the program name; returns the exit status.
    int run(QStringList arguments);
    QString helpText() const;

private:
    CliCommand* command(const QString& name) const;
    static QString revision();

    std::vector<std::unique_ptr<CliCommand>> commands_;
};

} // namespace zel::qmix::cli
