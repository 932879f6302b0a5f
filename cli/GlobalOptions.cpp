#include "cli/GlobalOptions.h"

#include "data/KeyboardInfo.h"
#include "emu/KeyboardOptions.h"

#include <QRegularExpression>

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
        else if (option == QLatin1String("--emulate-state"))
            target = &emulatedState;
        else if (option == QLatin1String("--emulate-options"))
            target = &emulatedOptions;
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
    if (emulatedModel.isEmpty() && (!emulatedState.isEmpty() || !emulatedOptions.isEmpty()))
        return QStringLiteral("--emulate-state and --emulate-options need --emulate");
    if (!emulatedModel.isEmpty() && !data::KeyboardInfo::find(emulatedModel))
        return QStringLiteral("--emulate: unknown model \"%1\"").arg(emulatedModel);
    if (!emulatedModel.isEmpty()) {
        emu::KeyboardOptions keyboard;
        QString error;
        if (!keyboard.parse(emulationArguments(), &error))
            return QStringLiteral("--emulate-options: %1").arg(error);
    }
    return {};
}

QStringList GlobalOptions::emulationArguments() const {
    QStringList arguments{QStringLiteral("toneharbour-keyboard"), QStringLiteral("--model"),
                          emulatedModel};
    if (!emulatedState.isEmpty())
        arguments << QStringLiteral("--state") << emulatedState;
    arguments +=
        emulatedOptions.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    return arguments;
}

} // namespace zel::qmix::cli
