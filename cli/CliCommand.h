#pragma once

#include "cli/GlobalOptions.h"

#include <QString>
#include <QStringList>

namespace zel::qmix::cli {

// One top-level word of the command line ("file", later "send", "backup"...),
// which may have subcommands of its own.
class CliCommand {
public:
    struct UsageLine {
        QString synopsis;
        QString summary;
    };

    virtual ~CliCommand() = default;

    virtual QString name() const = 0;
    // One line per form of the command, for the help text.
    virtual QList<UsageLine> usage() const = 0;
    // `arguments` are the words after the command's name; returns the exit status.
    virtual int run(const QStringList& arguments, const GlobalOptions& options) = 0;

protected:
    // Reports a usage error on standard error and returns the usage exit status.
    int usageError(const QString& message) const;
    // Each prints the system's text for the code on standard error, with the
    // detail (usually a file name) after it, and returns the exit status.
    int reportCommandError(int code, const QString& detail = QString()) const;
    int reportFileError(int fileResult, const QString& detail) const;
    void printError(const QString& text) const;
};

} // namespace zel::qmix::cli
