#include "midi/MidiApi.h"

namespace zel::qmix::midi {

QString midiApiName(MidiApi api) {
    switch (api) {
    case MidiApi::AlsaSequencer:
        return QStringLiteral("ALSA");
    case MidiApi::Jack:
        return QStringLiteral("JACK");
    case MidiApi::Wire:
        return QStringLiteral("Wire");
    }
    return QString();
}

} // namespace zel::qmix::midi
