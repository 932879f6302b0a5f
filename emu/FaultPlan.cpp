#include "emu/FaultPlan.h"

#include "sysex/MessageType.h"

#include <QStringList>

namespace zel::qmix::emu {

namespace {

struct NamedType {
    const char* name;
    int type;
};

constexpr NamedType kTypeNames[] = {
    {"IPR", sysex::MessageType::IPR}, {"IPS", sysex::MessageType::IPS},
    {"HBR", sysex::MessageType::HBR}, {"HBS", sysex::MessageType::HBS},
    {"SBS", sysex::MessageType::SBS}, {"EXI", sysex::MessageType::EXI},
    {"ACK", sysex::MessageType::ACK}, {"RJC", sysex::MessageType::RJC},
    {"ESS", sysex::MessageType::ESS}, {"EBS", sysex::MessageType::EBS},
    {"ERR", sysex::MessageType::ERR},
};

constexpr int kLargestType = 15;

} // namespace

int FaultPlan::parseMessageType(const QString& text) {
    const QString trimmed = text.trimmed();
    for (const NamedType& named : kTypeNames) {
        if (trimmed.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.type;
    }
    bool ok = false;
    const int number = trimmed.toInt(&ok);
    return ok && number >= 0 && number <= kLargestType ? number : -1;
}

bool FaultPlan::parseMessageTypes(const QString& text, QSet<int>& out) {
    QSet<int> types;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const int type = parseMessageType(part);
        if (type < 0)
            return false;
        types.insert(type);
    }
    out = types;
    return true;
}

} // namespace zel::qmix::emu
