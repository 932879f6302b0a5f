#include "cli/CommandLine.h"

#include "cli/BackupCommand.h"
#include "cli/CardCommand.h"
#include "cli/Console.h"
#include "cli/DeleteCommand.h"
#include "cli/ExitStatus.h"
#include "cli/FileCommand.h"
#include "cli/IdentifyCommand.h"
#include "cli/ListCommand.h"
#include "cli/MemoryCommand.h"
#include "cli/PackageCommand.h"
#include "cli/PortsCommand.h"
#include "cli/ReceiveCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/SendCommand.h"
#include "cli/WavCommand.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace zel::qmix::cli {

CommandLine::CommandLine() {
    commands_.push_back(std::make_unique<FileCommand>());
    commands_.push_back(std::make_unique<PortsCommand>());
    commands_.push_back(std::make_unique<IdentifyCommand>());
    commands_.push_back(std::make_unique<ListCommand>());
    commands_.push_back(std::make_unique<MemoryCommand>());
    commands_.push_back(std::make_unique<ReceiveCommand>());
    commands_.push_back(std::make_unique<SendCommand>());
    commands_.push_back(std::make_unique<DeleteCommand>());
    commands_.push_back(std::make_unique<BackupCommand>());
    commands_.push_back(std::make_unique<RestoreCommand>());
    commands_.push_back(std::make_unique<PackageCommand>());
    commands_.push_back(std::make_unique<WavCommand>());
    commands_.push_back(std::make_unique<CardCommand>());
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
        "  --emulate MODEL             use the built-in virtual keyboard of MODEL\n"
        "  --emulate-state DIR         the built-in keyboard keeps its memory in DIR\n"
        "  --emulate-options TEXT      options of toneharbour-keyboard (faults, delays) for\n"
        "                              the built-in keyboard, e.g. \"--reject-ack 2\"\n\n"
        "Commands:\n");
    for (const auto& command : commands_) {
        for (const CliCommand::UsageLine& line : command->usage())
            text += QStringLiteral("  %1\n      %2\n").arg(line.synopsis, line.summary);
    }
    text += QStringLiteral(
        "\nAREA is the number the keyboard shows (DSP areas count from 101). The audio\n"
        "commands (wav, card) need no keyboard. Ctrl-C cancels the running keyboard or audio\n"
        "command as the Cancel button does; a second Ctrl-C ends at once.\n"
        "\nExit status: 0 success, 1 nothing done because the answer was No, 2 usage error,\n"
        "10 + the command error code when the keyboard or an audio command fails\n"
        "(11 communication error or no keyboard, 12 memory full, 13 format error,\n"
        "14 rejected, 15 canceled, 16 cannot read, 17 cannot write or too little room,\n"
        "18 keyboard data differs, 19 other failure), 20 + the file result code for a\n"
        "refused file (21 cannot read, 22 cannot write, 23 format error, 24 another\n"
        "model's data, 25 too large), 30 + the package code for a refused package (31 area\n"
        "counts differ, 32 songs do not fit, 33 music presets do not fit, 34 cannot open,\n"
        "35 not a package, 36 another model's package), 130 interrupted.\n");
    return text;
}

} // namespace zel::qmix::cli
