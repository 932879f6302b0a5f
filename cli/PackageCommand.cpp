#include "cli/PackageCommand.h"

#include "cli/AreaArgument.h"
#include "cli/ArgumentList.h"
#include "cli/CommandSession.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "cli/KeyboardLink.h"
#include "cli/TerminalQuestion.h"
#include "cli/TransferResults.h"
#include "comm/CommandErrorCode.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/PackageSender.h"
#include "data/CategoryDescriptor.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "etc/MessageTexts.h"
#include "file/CategoryFiles.h"
#include "file/PackageFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace zel::qmix::cli {

namespace {

using comm::PackageSender;

const QString kNew = QStringLiteral("new");
const QString kShow = QStringLiteral("show");
const QString kCheck = QStringLiteral("check");
const QString kSend = QStringLiteral("send");

ArgumentList parseNew(const QStringList& arguments) {
    return ArgumentList(arguments, {}, {QStringLiteral("--model")});
}

ArgumentList parseSend(const QStringList& arguments) {
    return ArgumentList(arguments, {QStringLiteral("--yes")}, {});
}

// One "KEYWORD:AREA=FILE" of "package new".
struct AreaFile {
    AreaArgument area;
    QString path;
};

bool parseAreaFile(const QString& text, const data::KeyboardInfo* model, AreaFile* out,
                   QString* error) {
    const int equals = text.indexOf(QLatin1Char('='));
    const int colon = text.indexOf(QLatin1Char(':'));
    if (equals < 0 || colon < 0 || colon > equals || equals == text.size() - 1) {
        *error = QStringLiteral("\"%1\" is not KEYWORD:AREA=FILE").arg(text);
        return false;
    }
    const data::DataCategory* category =
        AreaArgument::parseCategory(text.left(colon), model, error);
    if (!category || !AreaArgument::parseArea(category, text.mid(colon + 1, equals - colon - 1),
                                              model, &out->area, error))
        return false;
    out->path = text.mid(equals + 1);
    if (data::DataCategory::fromFileName(out->path) != category) {
        *error = QStringLiteral("%1 is no %2 file (%3)")
                     .arg(out->path, category->displayName(),
                          category->extensions().join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

} // namespace

QString PackageCommand::name() const {
    return QStringLiteral("package");
}

QList<CliCommand::UsageLine> PackageCommand::usage() const {
    return {{QStringLiteral("package new OUT.PK7 --model NAME [KEYWORD:AREA=FILE ...]"),
             QStringLiteral("Make a package for model NAME holding each FILE for its AREA, e.g. "
                            "RHYTHM:3=beat.AC7; each FILE must suit the model")},
            {QStringLiteral("package show FILE.PK7"),
             QStringLiteral("The package's model, then one line per filled area: key word, area, "
                            "size in bytes, name; tab-separated")},
            {QStringLiteral("package check FILE.PK7"),
             QStringLiteral("Check that the package fits the connected keyboard, and each of its "
                            "items")},
            {QStringLiteral("package send FILE.PK7 [--yes]"),
             QStringLiteral("Send the package after asking (--yes agrees; without a terminal the "
                            "answer is No); its items replace what the areas hold")}};
}

int PackageCommand::run(const QStringList& arguments, const GlobalOptions& options) {
    const QString sub = arguments.value(0);
    if (sub == kNew)
        return create(arguments.mid(1));
    if (sub == kShow)
        return show(arguments.mid(1));
    if (sub == kCheck || sub == kSend)
        return KeyboardCliCommand::run(arguments, options);
    return usageError(sub.isEmpty() ? QStringLiteral("missing subcommand")
                                    : QStringLiteral("unknown subcommand \"%1\"").arg(sub));
}

QString PackageCommand::checkArguments(const QStringList& arguments) const {
    const ArgumentList parsed = parseSend(arguments.mid(1));
    if (!parsed.error().isEmpty())
        return parsed.error();
    if (arguments.first() == kCheck && parsed.isSet(QStringLiteral("--yes")))
        return QStringLiteral("\"package check\" asks nothing; --yes belongs to \"package send\"");
    return parsed.positional().size() == 1
               ? QString()
               : QStringLiteral("\"package %1\" takes one package FILE").arg(arguments.first());
}

int PackageCommand::runConnected(const QStringList& arguments, KeyboardLink& link) {
    const ArgumentList parsed = parseSend(arguments.mid(1));
    const QString path = parsed.positional().first();
    if (arguments.first() == kCheck)
        return check(path, link);
    return send(path, parsed.isSet(QStringLiteral("--yes")), link);
}

int PackageCommand::create(const QStringList& arguments) const {
    const ArgumentList parsed = parseNew(arguments);
    if (!parsed.error().isEmpty())
        return usageError(parsed.error());
    if (parsed.positional().isEmpty() || !parsed.hasValue(QStringLiteral("--model")))
        return usageError(QStringLiteral("\"package new\" takes OUT.PK7 and --model NAME"));
    data::KeyboardInfo* model = data::KeyboardInfo::find(parsed.value(QStringLiteral("--model")));
    if (!model)
        return usageError(
            QStringLiteral("unknown model \"%1\"").arg(parsed.value(QStringLiteral("--model"))));

    QList<AreaFile> areaFiles;
    QSet<QString> taken;
    for (const QString& text : parsed.positional().mid(1)) {
        AreaFile areaFile;
        QString error;
        if (!parseAreaFile(text, model, &areaFile, &error))
            return usageError(error);
        const QString key = areaFile.area.name();
        if (taken.contains(key))
            return usageError(QStringLiteral("%1 is given twice").arg(key));
        taken.insert(key);
        areaFiles.append(areaFile);
    }

    // Each item is judged as the model's keyboard would judge it.
    data::KeyboardInfo::setCurrentModel(model);
    file::PackageFile package(model->modelName());
    for (const AreaFile& areaFile : areaFiles) {
        int opened = 0;
        file::CategoryFiles::openFile(areaFile.area.category, areaFile.path,
                                      model->modelName().trimmed(), &opened);
        if (opened != 0) {
            Console::err() << "toneharbour-cli package: "
                           << etc::MessageTexts::errorText(
                                  etc::MessageTexts::typeForFileError(opened))
                           << ": " << areaFile.path << "\n";
            return ExitStatus::forFileResult(opened);
        }
        package.setFile(areaFile.area.category->keyWord(), areaFile.area.index,
                        QFileInfo(areaFile.path).absoluteFilePath());
    }
    const QString out = parsed.positional().first();
    if (!package.save(out)) {
        Console::err() << "toneharbour-cli package: "
                       << etc::MessageTexts::errorText(etc::MessageTexts::FileWriteError) << ": "
                       << out << "\n";
        return ExitStatus::forFileResult(file::FileCannotWrite);
    }
    Console::out() << QFileInfo(out).absoluteFilePath() << "\n";
    return ExitStatus::Success;
}

int PackageCommand::loadPackage(const QString& path, file::PackageFile& package) {
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return PackageSender::CannotOpenFile;
    probe.close();
    if (!package.load(path))
        return PackageSender::CannotLoadPackage;
    package.readSizes();
    return PackageSender::Success;
}

int PackageCommand::show(const QStringList& arguments) const {
    if (arguments.size() != 1)
        return usageError(QStringLiteral("\"package show\" takes one package FILE"));
    file::PackageFile package;
    const int loaded = loadPackage(arguments.first(), package);
    if (loaded != PackageSender::Success)
        return reportPackageResult(loaded, QFileInfo(arguments.first()).fileName());

    Console::out() << "Model\t" << package.modelName() << "\n";
    const data::KeyboardInfo* model = data::KeyboardInfo::find(package.modelName());
    const file::PackageFile::AreaMap& areas = package.areas();
    for (auto it = areas.constBegin(); it != areas.constEnd(); ++it) {
        const data::DataCategory* category = data::DataCategory::fromKeyWord(it.key());
        const int first =
            model && category && model->areaCount(category) > 0 ? model->firstNumber(category) : 1;
        for (int index = 0; index < it.value().size(); ++index) {
            const file::PackageArea& area = it.value().at(index);
            if (!area.hasData())
                continue;
            Console::out() << it.key() << '\t' << (first + index) << '\t' << area.size << '\t'
                           << package.dataName(it.key(), index) << "\n";
        }
    }
    return ExitStatus::Success;
}

int PackageCommand::reportPackageResult(int code, const QString& fileName) const {
    if (code == PackageSender::Success)
        return ExitStatus::Success;
    // As the package send button words them.
    const PackageSender::ResultMessage message = PackageSender::messageFor(code);
    QString detail;
    if (message.namesFile)
        detail = fileName;
    else if (code == PackageSender::OtherModel)
        detail = QStringLiteral("%1 is for another keyboard model").arg(fileName);
    QString text = etc::MessageTexts::errorText(message.type);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    printError(text);
    return ExitStatus::forPackageResult(code);
}

int PackageCommand::check(const QString& path, KeyboardLink& link) {
    const QString fileName = QFileInfo(path).fileName();
    PackageSender sender(link.communicator());
    const int checked = sender.checkFile(path);
    if (checked != PackageSender::Success)
        return reportPackageResult(checked, fileName);

    // Each item as the send would judge it.
    file::PackageFile package;
    sender.loadPackage(path, package);
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    int status = ExitStatus::Success;
    for (const data::CategoryDescriptor& descriptor : model->descriptors()) {
        const QString keyWord = descriptor.category->keyWord();
        for (int index = 0; index < descriptor.areaCount; ++index) {
            QByteArray bytes;
            const int read = package.read(keyWord, index, bytes);
            if (read == file::PackageFile::ReadNoData)
                continue;
            int opened = read == file::PackageFile::ReadOk ? 0 : file::FileCannotRead;
            if (opened == 0)
                file::CategoryFiles::openData(descriptor.category, bytes,
                                              model->modelName().trimmed(), &opened);
            if (opened == 0)
                continue;
            const QString text =
                etc::MessageTexts::errorText(etc::MessageTexts::typeForFileError(opened));
            printError(
                QStringLiteral("%1: %2 (%3)")
                    .arg(text, package.dataName(keyWord, index),
                         AreaArgument::name(descriptor.category, descriptor.firstNumber + index)));
            if (status == ExitStatus::Success)
                status = ExitStatus::forFileResult(opened);
        }
    }
    if (status == ExitStatus::Success)
        Console::out() << "OK\n";
    return status;
}

int PackageCommand::send(const QString& path, bool assumeYes, KeyboardLink& link) {
    const QString fileName = QFileInfo(path).fileName();
    comm::KeyboardCommunicator* communicator = link.communicator();
    CommandSession session(interrupt());
    PackageSender sender(communicator);
    sender.setConnections(session.connections());
    const int checked = sender.checkFile(path);
    if (checked != PackageSender::Success)
        return reportPackageResult(checked, fileName);

    const TerminalQuestion question(assumeYes ? TerminalQuestion::Mode::AssumeYes
                                              : TerminalQuestion::Mode::Ask);
    if (!question.ask(etc::MessageTexts::sendPackageQuestion(fileName))) {
        printError(QStringLiteral("nothing sent"));
        return ExitStatus::Failure;
    }
    if (Interrupt::isRequested())
        return ExitStatus::Interrupted;

    const bool secondGeneration = data::KeyboardInfo::currentModel()->isSecondGeneration();
    int firstError = comm::CommandErrorCode::NoError;
    bool rejectQueued = false;
    // The closing commands report to a session of their own: their results
    // are no sends, and they tell whether every area of the series arrived.
    CommandSession closing(interrupt());
    int closingsQueued = 0;
    // As the package send button follows the sends: close each successful
    // one, tell the keyboard about a failed one, and let the first failure
    // cancel what is still queued.
    session.setResultHandler([&](const QVariant& variant) {
        const comm::BulkSendCommandResult result = TransferResults::sendResult(variant);
        if (result.errorCode == comm::CommandErrorCode::NoError) {
            if (secondGeneration &&
                communicator->registerMultipleBulkSendEndCommand(result.category, result.areaNumber,
                                                                 closing.resultConnections()))
                ++closingsQueued;
            return;
        }
        if (secondGeneration)
            rejectQueued |= communicator->registerRejectCommand(result.category, result.areaNumber);
        if (result.errorCode == comm::CommandErrorCode::Canceled)
            return;
        if (firstError == comm::CommandErrorCode::NoError) {
            firstError = result.errorCode;
            reportCommandError(result.errorCode);
            emit interrupt().cancelRequested();
        }
    });
    int queued = 0;
    QObject::connect(&sender, &PackageSender::newCommandRegistered, &sender,
                     [&queued] { ++queued; });
    const int sent = sender.sendFile(path);
    if (sent != PackageSender::Success)
        return reportPackageResult(sent, fileName);

    for (const QString& element : sender.unreadElements())
        printError(etc::MessageTexts::errorText(etc::MessageTexts::FileReadError) +
                   QStringLiteral(": ") + element);
    for (const QString& element : sender.rejectedElements())
        printError(etc::MessageTexts::errorText(etc::MessageTexts::FileFormatError) +
                   QStringLiteral(": ") + element);

    session.waitForResults(queued);
    closing.waitForResults(closingsQueued);
    // A rejection has no receiver; a query queued behind it answers only
    // after it ran.
    if (rejectQueued)
        communicator->modelName();
    for (const QVariant& closed : closing.results()) {
        const comm::BulkSendCommandResult result = TransferResults::sendResult(closed);
        if (result.errorCode != comm::CommandErrorCode::NoError &&
            firstError == comm::CommandErrorCode::NoError) {
            firstError = result.errorCode;
            reportCommandError(result.errorCode);
        }
    }

    if (firstError != comm::CommandErrorCode::NoError)
        return ExitStatus::forCommandError(firstError);
    if (!sender.unreadElements().isEmpty())
        return ExitStatus::forFileResult(file::FileCannotRead);
    if (!sender.rejectedElements().isEmpty())
        return ExitStatus::forFileResult(file::FileFormatError);
    return ExitStatus::Success;
}

} // namespace zel::qmix::cli
