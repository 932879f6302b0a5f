#include "midi/PortClassifier.h"

#include "midi/RtMidiBackend.h"

#include <QRegularExpression>

namespace zel::qmix::midi {

QString PortClassifier::clientOf(const PortInfo& port) {
    const QString name = port.name();
    if (port.api() == MidiApi::Wire)
        return name;
    QString client = name.section(QLatin1Char(':'), 0, 0);
    if (port.api() == MidiApi::Jack) {
        static const QRegularExpression renameSuffix(QStringLiteral("-\\d+$"));
        client.remove(renameSuffix);
    }
    return client;
}

bool PortClassifier::sameClient(const PortInfo& a, const PortInfo& b) {
    return a.api() == b.api() && clientOf(a) == clientOf(b);
}

bool PortClassifier::isOwnPort(const PortInfo& port) {
    return port.api() != MidiApi::Wire && clientOf(port) == RtMidiBackend::clientName();
}

bool PortClassifier::isCandidate(const PortInfo& port) {
    if (port.api() == MidiApi::Wire)
        return true;
    return !isOwnPort(port) &&
           !port.name().contains(QLatin1String("Midi Through"), Qt::CaseInsensitive);
}

} // namespace zel::qmix::midi
