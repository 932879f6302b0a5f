#include "cli/PortsCommand.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "midi/InDeviceInfoList.h"
#include "midi/OutDeviceInfoList.h"
#include "midi/PortClassifier.h"

namespace zel::qmix::cli {

namespace {

void printPort(const midi::PortInfo& port, const char* direction) {
    Console::out() << midi::midiApiName(port.api()) << '\t' << direction << '\t' << port.name()
                   << '\t' << (midi::PortClassifier::isCandidate(port) ? "yes" : "no") << "\n";
}

} // namespace

QString PortsCommand::name() const {
    return QStringLiteral("ports");
}

QList<CliCommand::UsageLine> PortsCommand::usage() const {
    return {{QStringLiteral("ports"),
             QStringLiteral("List the MIDI ports: API, direction, name, candidate (yes/no)")}};
}

int PortsCommand::run(const QStringList& arguments, const GlobalOptions&) {
    if (!arguments.isEmpty())
        return usageError(QStringLiteral("\"ports\" takes no arguments"));
    midi::InDeviceInfoList inputs;
    midi::OutDeviceInfoList outputs;
    inputs.refresh();
    outputs.refresh();
    if (inputs.isEmpty() && outputs.isEmpty())
        Console::err()
            << "toneharbour-cli: no MIDI ports (no ALSA sequencer or JACK server runs)\n";
    for (const midi::InDeviceInfo& port : inputs.infos())
        printPort(port, "in");
    for (const midi::OutDeviceInfo& port : outputs.infos())
        printPort(port, "out");
    Console::out().flush();
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
