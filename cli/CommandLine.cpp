#include "cli/CommandLine.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/FileCommand.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>

namespace zel::qmix::cli {

CommandLine::CommandLine() {
    commands_.push_back(std::make_unique<FileCommand>());
}

CommandLine::~CommandLine() = default;

int CommandLine::run(const QStringList& arguments) {
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
    return chosen->run(arguments.mid(1));
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
    QList<CliCommand::UsageLine> lines;
    for (const auto& command : commands_)
        lines += command->usage();
    qsizetype width = 0;
    for (const CliCommand::UsageLine& line : lines)
        width = std::max(width, line.synopsis.size());

    QString text = QStringLiteral("Usage: toneharbour-cli COMMAND [ARGUMENTS]\n"
                                  "       toneharbour-cli --help | --version\n\nCommands:\n");
    for (const CliCommand::UsageLine& line : lines)
        text += QStringLiteral("  %1  %2\n").arg(line.synopsis, -int(width)).arg(line.summary);
    text += QStringLiteral("\nExit status: 0 success, 2 usage error, 20 + the file result code "
                           "for a refused file\n(21 cannot read, 22 cannot write, 23 format "
                           "error, 24 another model's data, 25 too large).\n");
    return text;
}

} // namespace zel::qmix::cli
