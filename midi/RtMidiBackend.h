#pragma once

#include "midi/MidiApi.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class RtMidi;
class RtMidiIn;
class RtMidiOut;

namespace zel::qmix::midi {

// The system's MIDI services (the ALSA sequencer and JACK). The ALSA
// sequencer and the virtual ports are reached through RtMidi; JACK's port
// lists and connections go through this process's own JACK client
// (JackClient). A service that does not run is simply absent: nothing that
// RtMidi, ALSA or JACK would say about it reaches the terminal, and no RtMidi
// error escapes as an exception.
class RtMidiBackend {
public:
    // The client name of this program's own ports.
    static QString clientName();

    // The services that run now, in the order they are listed.
    static QList<MidiApi> runningApis();
    static bool isRunning(MidiApi api);

    // Names of the ports this program could read from / write to.
    static QStringList inputPortNames(MidiApi api);
    static QStringList outputPortNames(MidiApi api);

    // A client of the service, with errors silenced (check isPortOpen() after
    // opening a port); null when the service does not run.
    static std::unique_ptr<RtMidiIn> createIn(MidiApi api, const QString& client);
    static std::unique_ptr<RtMidiOut> createOut(MidiApi api, const QString& client);

    // Index of the port called `name` in the client's current list, or -1.
    // Indexes shift as devices come and go, so a port is always found anew.
    static int findPort(RtMidi& midi, const QString& name);

    // Names of this program's own ports, after the client name.
    static QString inPortName() { return QStringLiteral("in"); }
    static QString outPortName() { return QStringLiteral("out"); }

    // Waits until the connection between the port `target` and this
    // program's port `ownPort` carries data; false when it never does (the
    // connection failed, or the server went away). JACK applies a new connection
    // from a later period on, so a message sent right after connecting could
    // go out while the running period still lacks it, and be lost. True at
    // once for the ALSA sequencer, whose connections take effect when made.
    static bool awaitConnection(MidiApi api, const QString& target, const QString& ownPort);

    // Opens a port that other clients connect to; false when it cannot be made.
    static bool openVirtualPort(RtMidi& midi, const QString& port);

    // Closes the client's port and destroys the client. RtMidi's JACK process
    // callback may still be reading the client's buffers right after the port
    // closes, so a JACK client that had a port open lives a few periods longer.
    static void dispose(std::unique_ptr<RtMidiIn> midi, MidiApi api);
    static void dispose(std::unique_ptr<RtMidiOut> midi, MidiApi api);
};

} // namespace zel::qmix::midi
