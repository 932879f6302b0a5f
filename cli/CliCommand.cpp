#include "cli/CliCommand.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"

namespace zel::qmix::cli {

int CliCommand::usageError(const QString& message) const {
    Console::err() << "toneharbour-cli " << name() << ": " << message << "\n";
    for (const UsageLine& line : usage())
        Console::err() << "usage: toneharbour-cli " << line.synopsis << "\n";
    Console::err().flush();
    return ExitStatus::Usage;
}

} // namespace zel::qmix::cli
