#pragma once

#include "midi/PortInfo.h"

#include <QString>

namespace zel::qmix::midi {

// Tells ports apart by their names, the only thing Linux MIDI services have
// in common for them.
//
// Which ports may be the keyboard's (worth a probe): on Linux no field of a
// port marks a keyboard the way a manufacturer id would, so every port is a
// candidate except
//  - this program's own ports (client "ToneHarbour"; JACK renames a second
//    client of the same name to "ToneHarbour-01" and so on), which would only
//    probe ourselves, and
//  - the ALSA "Midi Through" ports (also as bridged into JACK), which loop
//    back whatever is sent to them and carry nothing of their own.
// In-process wire ports are always candidates.
class PortClassifier {
public:
    // The client a port belongs to: the part of an ALSA or JACK port name
    // before the first ':', without JACK's "-NN" rename suffix; for the wire,
    // the endpoint's name (its input and output share it).
    static QString clientOf(const PortInfo& port);
    static bool sameClient(const PortInfo& a, const PortInfo& b);
    static bool isOwnPort(const PortInfo& port);
    static bool isCandidate(const PortInfo& port);
};

} // namespace zel::qmix::midi
