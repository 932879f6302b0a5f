#include "cli/FileCommand.h"

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "etc/MessageTexts.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"
#include "file/CommonFormatFile.h"
#include "file/RhythmDataFile.h"

#include <QFileInfo>

namespace zel::qmix::cli {

namespace {

using file::AbstractFile;

// What the message box would say for a file result code; "OK" for success.
QString resultText(int fileResult) {
    if (fileResult == 0)
        return QStringLiteral("OK");
    return etc::MessageTexts::errorText(etc::MessageTexts::typeForFileError(fileResult));
}

QString rhythmFormName(int form) {
    switch (form) {
    case 0:
        return QStringLiteral("native");
    case 1:
        return QStringLiteral("wrapped");
    case 2:
        return QStringLiteral("library");
    case 3:
        return QStringLiteral("raw");
    default:
        return QStringLiteral("invalid");
    }
}

QStringList modelNames() {
    QStringList names;
    for (const data::KeyboardInfo* model : data::KeyboardInfo::list())
        names.append(model->modelName().trimmed());
    return names;
}

void printField(const QString& label, const QString& value) {
    Console::out() << QStringLiteral("%1 %2\n").arg(label + QLatin1Char(':'), -16).arg(value);
}

void printHeader(const AbstractFile& loaded) {
    const auto* common = dynamic_cast<const file::CommonFormatFile*>(&loaded);
    if (common) {
        printField(QStringLiteral("Identifier"), common->identifier());
        printField(QStringLiteral("Model"), common->modelName());
        printField(QStringLiteral("Format version"), QString::number(common->formatVersion()));
    }
    if (const auto* rhythm = dynamic_cast<const file::RhythmDataFile*>(&loaded)) {
        const int form = file::RhythmDataFile::rhythmForm(rhythm->data());
        printField(QStringLiteral("Rhythm form"),
                   QStringLiteral("%1 (%2)").arg(form).arg(rhythmFormName(form)));
    }
}

} // namespace

QString FileCommand::name() const {
    return QStringLiteral("file");
}

QList<CliCommand::UsageLine> FileCommand::usage() const {
    return {{QStringLiteral("file info FILE"),
             QStringLiteral("Show a data file's category, class, header and size, and whether "
                            "the current model takes it")},
            {QStringLiteral("file check FILE --model NAME"),
             QStringLiteral("Check a data file as a keyboard of model NAME would; prints the "
                            "result code and its text")},
            {QStringLiteral("file new CATEGORY OUT [--model NAME] [--area N]"),
             QStringLiteral("Write the empty item a keyboard keeps in a cleared area "
                            "(RHYTHM, SEQUENCER or MUSICPRESET)")}};
}

int FileCommand::run(const QStringList& arguments, const GlobalOptions&) {
    const QString sub = arguments.value(0);
    if (sub == QLatin1String("info"))
        return info(arguments.mid(1));
    if (sub == QLatin1String("check"))
        return check(arguments.mid(1));
    if (sub == QLatin1String("new"))
        return create(arguments.mid(1));
    return usageError(sub.isEmpty() ? QStringLiteral("missing subcommand")
                                    : QStringLiteral("unknown subcommand \"%1\"").arg(sub));
}

int FileCommand::info(const QStringList& arguments) const {
    if (arguments.size() != 1)
        return usageError(QStringLiteral("\"file info\" takes one FILE"));
    const QString path = arguments.first();
    const data::DataCategory* category = data::DataCategory::fromFileName(path);
    if (!category) {
        Console::err() << "toneharbour-cli: " << path
                       << ": not a keyboard data file (unknown extension)\n";
        return ExitStatus::forFileResult(3);
    }

    QSharedPointer<AbstractFile> loaded = file::CategoryFiles::createFile(category);
    const int loadResult = loaded->load(path);
    printField(QStringLiteral("File"), QFileInfo(path).absoluteFilePath());
    printField(QStringLiteral("Category"),
               QStringLiteral("%1 (%2)").arg(category->displayName(), category->keyWord()));
    printField(QStringLiteral("Class"), loaded->className());
    if (loadResult != 0) {
        printField(QStringLiteral("Result"),
                   QStringLiteral("%1 %2").arg(loadResult).arg(resultText(loadResult)));
        return ExitStatus::forFileResult(loadResult);
    }
    printHeader(*loaded);
    printField(QStringLiteral("Payload size"),
               QStringLiteral("%1 bytes").arg(loaded->data().size()));

    const QString current = data::KeyboardInfo::currentModel()->modelName().trimmed();
    int checkResult = 0;
    file::CategoryFiles::openFile(category, path, current, &checkResult);
    printField(QStringLiteral("Valid for %1").arg(current),
               checkResult == 0
                   ? QStringLiteral("yes")
                   : QStringLiteral("no: %1 %2").arg(checkResult).arg(resultText(checkResult)));
    return ExitStatus::Success;
}

int FileCommand::check(const QStringList& arguments) const {
    QString path;
    QString modelName;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--model") && i + 1 < arguments.size())
            modelName = arguments.at(++i);
        else if (path.isEmpty() && !arguments.at(i).startsWith(QLatin1String("--")))
            path = arguments.at(i);
        else
            return usageError(QStringLiteral("unexpected argument \"%1\"").arg(arguments.at(i)));
    }
    if (path.isEmpty() || modelName.isEmpty())
        return usageError(QStringLiteral("\"file check\" takes a FILE and --model NAME"));

    data::KeyboardInfo* model = data::KeyboardInfo::find(modelName);
    if (!model)
        return usageError(QStringLiteral("unknown model \"%1\"; known models: %2")
                              .arg(modelName, modelNames().join(QStringLiteral(", "))));
    const data::DataCategory* category = data::DataCategory::fromFileName(path);
    if (!category) {
        Console::err() << "toneharbour-cli: " << path
                       << ": not a keyboard data file (unknown extension)\n";
        return ExitStatus::forFileResult(3);
    }

    // The file is judged exactly as when a keyboard of this model is connected.
    data::KeyboardInfo::setCurrentModel(model);
    int result = 0;
    file::CategoryFiles::openFile(category, path, model->modelName(), &result);
    Console::out() << result << ' ' << resultText(result) << "\n";
    return ExitStatus::forFileResult(result);
}

int FileCommand::create(const QStringList& arguments) const {
    QStringList positional;
    QString modelName = data::KeyboardInfo::currentModel()->modelName();
    int areaNumber = 1;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--model") && i + 1 < arguments.size()) {
            modelName = arguments.at(++i);
        } else if (argument == QLatin1String("--area") && i + 1 < arguments.size()) {
            bool ok = false;
            areaNumber = arguments.at(++i).toInt(&ok);
            if (!ok)
                return usageError(QStringLiteral("--area takes a number"));
        } else if (!argument.startsWith(QLatin1String("--"))) {
            positional.append(argument);
        } else {
            return usageError(QStringLiteral("unexpected argument \"%1\"").arg(argument));
        }
    }
    if (positional.size() != 2)
        return usageError(QStringLiteral("\"file new\" takes a CATEGORY and an OUT file"));

    const data::DataCategory* category =
        data::DataCategory::fromKeyWord(positional.at(0).toUpper());
    if (!category)
        return usageError(QStringLiteral("unknown category \"%1\"").arg(positional.at(0)));
    data::KeyboardInfo* model = data::KeyboardInfo::find(modelName);
    if (!model)
        return usageError(QStringLiteral("unknown model \"%1\"; known models: %2")
                              .arg(modelName, modelNames().join(QStringLiteral(", "))));
    const int areaCount = model->areaCount(category);
    if (areaCount > 0 && (areaNumber < model->firstNumber(category) ||
                          areaNumber >= model->firstNumber(category) + areaCount))
        return usageError(QStringLiteral("%1 has %2 areas from %3 on")
                              .arg(category->displayName())
                              .arg(areaCount)
                              .arg(model->firstNumber(category)));

    const QByteArray empty =
        model->emptyData(category->id(), areaNumber - model->firstNumber(category));
    if (empty.isEmpty())
        return usageError(QStringLiteral("%1 has no empty item; categories with one: RHYTHM, "
                                         "SEQUENCER, MUSICPRESET")
                              .arg(category->keyWord()));

    // The new file belongs to the chosen model, as if received from it.
    data::KeyboardInfo::setCurrentModel(model);
    QSharedPointer<AbstractFile> created = file::CategoryFiles::createFile(category);
    created->setData(empty);
    const QString out = positional.at(1);
    const int result = created->save(out);
    if (result != 0) {
        Console::err() << "toneharbour-cli: " << out << ": "
                       << etc::MessageTexts::composeText(
                              etc::MessageTexts::typeForFileError(result), out)
                       << "\n";
        return ExitStatus::forFileResult(result);
    }
    Console::out() << QFileInfo(out).absoluteFilePath() << "\n";
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
