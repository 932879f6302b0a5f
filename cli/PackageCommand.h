#pragma once

#include "cli/KeyboardCliCommand.h"

namespace zel::qmix::file {
class PackageFile;
}

namespace zel::qmix::cli {

// "package new|show|check|send": makes and inspects package files, checks a
// package against the connected keyboard and sends it as the package send
// button does.
class PackageCommand : public KeyboardCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;
    // "new" and "show" work without a keyboard.
    int run(const QStringList& arguments, const GlobalOptions& options) override;

protected:
    QString checkArguments(const QStringList& arguments) const override;
    int runConnected(const QStringList& arguments, KeyboardLink& link) override;

private:
    int create(const QStringList& arguments) const;
    int show(const QStringList& arguments) const;
    int check(const QString& path, KeyboardLink& link);
    int send(const QString& path, bool assumeYes, KeyboardLink& link);
    // The message of the package send button for a sender code, and the
    // exit status.
    int reportPackageResult(int code, const QString& fileName) const;
    // Loads a package for "show"; the package sender's code on failure.
    static int loadPackage(const QString& path, file::PackageFile& package);
};

} // namespace zel::qmix::cli
