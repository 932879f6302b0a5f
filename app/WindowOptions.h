#pragma once

#include "comm/PortChoice.h"

#include <QString>
#include <QStringList>

namespace zel::qmix::gui {

// The desktop program's command line. It needs none; these let a user without
// a keyboard try every tab (--emulate), pick ports by name (--in, --out), and
// let the demo photograph the tabs (--screenshots).
class WindowOptions {
public:
    enum class Outcome { Run, ExitOk, ExitUsage };

    Outcome parse(const QStringList& arguments);
    // What to print for ExitOk (help) or ExitUsage (the error and the help).
    QString message() const { return message_; }

    QString emulatedModel() const { return emulatedModel_; }
    // The built-in keyboard's command line, program name first.
    QStringList emulationArguments() const;
    comm::PortChoice ports() const { return ports_; }
    // Where to save a picture of each tab, then quit; empty for a normal run.
    QString screenshotFolder() const { return screenshotFolder_; }

    // Once the built-in keyboard is on the wire: its ports are the ones to open.
    void useEmulatedPorts(const QString& portName);

private:
    QString emulatedModel_;
    comm::PortChoice ports_ = comm::PortChoice::search();
    QString screenshotFolder_;
    QString message_;
};

} // namespace zel::qmix::gui
