#include "cli/IdentifyCommand.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "data/KeyboardInfo.h"

namespace zel::qmix::cli {

QString IdentifyCommand::name() const {
    return QStringLiteral("identify");
}

QList<CliCommand::UsageLine> IdentifyCommand::usage() const {
    return {
        {QStringLiteral("identify"), QStringLiteral("Find the keyboard and print its model name")}};
}

QString IdentifyCommand::checkArguments(const QStringList& arguments) const {
    return arguments.isEmpty() ? QString() : QStringLiteral("\"identify\" takes no arguments");
}

int IdentifyCommand::runConnected(const QStringList&, KeyboardLink&) {
    Console::out() << data::KeyboardInfo::currentModel()->modelName().trimmed() << "\n";
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
