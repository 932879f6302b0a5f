#include "cli/GlobalOptions.h"

#include "data/KeyboardInfo.h"

namespace zel::qmix::cli {

QString GlobalOptions::parse(QStringList& arguments) {
    while (!arguments.isEmpty()) {
        const QString option = arguments.first();
        QString* target = nullptr;
        if (option == QLatin1String("--in"))
            target = &inPattern;
        else if (option == QLatin1String("--out"))
            target = &outPattern;
        else if (option == QLatin1String("--emulate"))
            target = &emulatedModel;
        else
            break;
        if (arguments.size() < 2 || arguments.at(1).isEmpty())
            return QStringLiteral("%1 needs a value").arg(option);
        *target = arguments.at(1);
        arguments.remove(0, 2);
    }
    if (inPattern.isEmpty() != outPattern.isEmpty())
        return QStringLiteral("--in and --out go together");
    if (!emulatedModel.isEmpty() && !inPattern.isEmpty())
        return QStringLiteral("--emulate cannot be combined with --in and --out");
    if (!emulatedModel.isEmpty() && !data::KeyboardInfo::find(emulatedModel))
        return QStringLiteral("--emulate: unknown model \"%1\"").arg(emulatedModel);
    return {};
}

} // namespace zel::qmix::cli
