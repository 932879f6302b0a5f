#pragma once

#include <QMetaType>
#include <QString>

namespace zel::qmix::midi {

// Where a MIDI port lives. The in-process wire connects this program to a
// virtual keyboard running inside the same process (tests, --emulate).
enum class MidiApi { AlsaSequencer, Jack, Wire };

QString midiApiName(MidiApi api);

} // namespace zel::qmix::midi

// Carried in QVariant (queued signals, data-driven tests).
Q_DECLARE_METATYPE(zel::qmix::midi::MidiApi)
