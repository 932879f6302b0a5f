#include "emu/Occurrences.h"

#include <QStringList>

namespace zel::qmix::emu {

Occurrences Occurrences::every() {
    Occurrences occurrences;
    occurrences.all_ = true;
    return occurrences;
}

Occurrences Occurrences::only(std::initializer_list<int> numbers) {
    Occurrences occurrences;
    for (const int number : numbers)
        occurrences.numbers_.insert(number);
    return occurrences;
}

bool Occurrences::parse(const QString& text, Occurrences& out) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        out = every();
        return true;
    }
    Occurrences parsed;
    const QStringList parts = trimmed.split(QLatin1Char(','));
    for (const QString& part : parts) {
        bool ok = false;
        const int number = part.trimmed().toInt(&ok);
        if (!ok || number < 1)
            return false;
        parsed.numbers_.insert(number);
    }
    out = parsed;
    return true;
}

} // namespace zel::qmix::emu
