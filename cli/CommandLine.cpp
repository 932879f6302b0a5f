#include "cli/CommandLine.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/FileCommand.h"
#include "cli/IdentifyCommand.h"
#include "cli/PortsCommand.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace zel::qmix::cli {

CommandLine::CommandLine() {
    commands_.push_back(std::make_unique<FileCommand>());
    commands_.push_back(std::make_unique<PortsCommand>());
    commands_.push_back(std::make_unique<IdentifyCommand>());
}

CommandLine::~CommandLine() = default;

int CommandLine::run(QStringList arguments) {
    GlobalOptions options;
    const QString optionError = options.parse(arguments);
    if (!optionError.isEmpty()) {
        Console::err() << "toneharbour-cli: " << optionError << " (see toneharbour-cli --help)\n";
        return ExitStatus::Usage;
    }
    if (arguments.isEmpty()) {
        Console::err() << helpText();
        return ExitStatus::Usage;
    }
    const QString first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help")) {
        Console::out() << helpText();
        return ExitStatus::Success;
    }
    if (first == QLatin1String("--version")) {
        Console::out() << "toneharbour-cli " << QCoreApplication::applicationVersion() << " ("
                       << revision() << ")\n";
        return ExitStatus::Success;
    }
    CliCommand* chosen = command(first);
    if (!chosen) {
        Console::err() << "toneharbour-cli: unknown command \"" << first
                       << "\" (see toneharbour-cli --help)\n";
        return ExitStatus::Usage;
    }
    return chosen->run(arguments.mid(1), options);
}

QString CommandLine::revision() {
    QFile file(QStringLiteral(":/revision.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown revision");
    return QString::fromUtf8(file.readAll()).trimmed();
}

CliCommand* CommandLine::command(const QString& name) const {
    const auto found = std::find_if(commands_.begin(), commands_.end(),
                                    [&](const auto& command) { return command->name() == name; });
    return found == commands_.end() ? nullptr : found->get();
}

QString CommandLine::helpText() const {
    QString text = QStringLiteral(
        "Usage: toneharbour-cli [KEYBOARD OPTIONS] COMMAND [ARGUMENTS]\n"
        "       toneharbour-cli --help | --version\n\n"
        "Keyboard options (for commands that talk to the keyboard):\n"
        "  --in PATTERN --out PATTERN  open the first MIDI ports whose names contain the\n"
        "                              patterns instead of searching every port\n"
        "  --emulate MODEL             use the built-in virtual keyboard of MODEL\n\n"
        "Commands:\n");
    for (const auto& command : commands_) {
        for (const CliCommand::UsageLine& line : command->usage())
            text += QStringLiteral("  %1\n      %2\n").arg(line.synopsis, line.summary);
    }
    text += QStringLiteral(
        "\nExit status: 0 success, 2 usage error, 10 + the command error code when the keyboard\n"
        "fails (11 communication error), 20 + the file result code for a refused file\n"
        "(21 cannot read, 22 cannot write, 23 format error, 24 another model's data,\n"
        "25 too large).\n");
    return text;
}

} // namespace zel::qmix::cli
