#include "emu/KeyboardOptions.h"

#include "data/KeyboardInfo.h"

#include <QCommandLineParser>

namespace zel::qmix::emu {

namespace {

const QString kModel = QStringLiteral("model");
const QString kState = QStringLiteral("state");
const QString kName = QStringLiteral("name");
const QString kListModels = QStringLiteral("list-models");
const QString kDropReply = QStringLiteral("drop-reply");
const QString kDropType = QStringLiteral("drop-type");
const QString kCorruptBlock = QStringLiteral("corrupt-block");
const QString kRejectAck = QStringLiteral("reject-ack");
const QString kLoseBlock = QStringLiteral("lose-block");
const QString kSilentAfter = QStringLiteral("silent-after");
const QString kDelay = QStringLiteral("delay");
const QString kDeleteTime = QStringLiteral("delete-time");

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral(
        "A virtual keyboard for Tone Harbour: opens a pair of virtual MIDI ports (ALSA when it "
        "runs, else JACK) and answers on them as the keyboard model would. Prints READY once "
        "the ports are open; ends on SIGINT or SIGTERM."));
    parser.addHelpOption();
    parser.addOptions({
        {kModel, QStringLiteral("The keyboard model to be, e.g. PRV-1100 (see --list-models)."),
         QStringLiteral("name")},
        {kState,
         QStringLiteral("Keep the keyboard's memory in this folder: loaded at start, stored "
                        "after every change."),
         QStringLiteral("dir")},
        {kName,
         QStringLiteral("Name of the MIDI ports (default \"%1\").")
             .arg(KeyboardOptions::defaultPortName()),
         QStringLiteral("name")},
        {kListModels, QStringLiteral("List the keyboard models and end.")},
        {kDropReply,
         QStringLiteral("Lose the replies to these incoming messages (counted from 1)."),
         QStringLiteral("n[,n...]")},
        {kDropType,
         QStringLiteral("Lose the replies to every message of these types (IPR, IPS, HBR, HBS, "
                        "SBS, EXI, ACK, RJC, ESS, EBS, ERR or numbers)."),
         QStringLiteral("type[,type...]")},
        {kCorruptBlock,
         QStringLiteral("Send these blocks (HBS, counted from 1, repeats included) with a wrong "
                        "checksum; \"all\" for every block."),
         QStringLiteral("n[,n...]|all")},
        {kLoseBlock,
         QStringLiteral("Lose these blocks from the PC (HBS, counted from 1 as they arrive, "
                        "repeats included) before the keyboard sees them; \"all\" for every "
                        "block."),
         QStringLiteral("n[,n...]|all")},
        {kRejectAck,
         QStringLiteral("Answer RJC instead of these acknowledgements (counted from 1); \"all\" "
                        "for every one."),
         QStringLiteral("n[,n...]|all")},
        {kSilentAfter, QStringLiteral("Answer nothing after this many messages."),
         QStringLiteral("n")},
        {kDelay, QStringLiteral("Delay every reply by this many milliseconds."),
         QStringLiteral("ms")},
        {kDeleteTime,
         QStringLiteral("Take this many milliseconds to delete an area instead of the model's "
                        "time."),
         QStringLiteral("ms")},
    });
}

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

bool readCount(const QCommandLineParser& parser, const QString& option, int& out, QString* error) {
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 0)
        return fail(error, QStringLiteral("--%1 needs a number of 0 or more").arg(option));
    out = value;
    return true;
}

bool readOccurrences(const QCommandLineParser& parser, const QString& option, Occurrences& out,
                     QString* error) {
    if (parser.isSet(option) && !Occurrences::parse(parser.value(option), out))
        return fail(error, QStringLiteral("--%1 needs numbers from 1 on, or \"all\"").arg(option));
    return true;
}

} // namespace

QString KeyboardOptions::defaultPortName() {
    return QStringLiteral("ToneHarbour Virtual Keyboard");
}

QString KeyboardOptions::modelList() {
    QStringList names;
    for (const data::KeyboardInfo* model : data::KeyboardInfo::list())
        names.append(model->modelName().trimmed());
    return names.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool KeyboardOptions::parse(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    addOptions(parser);
    helpText_ = parser.helpText();
    if (!parser.parse(arguments))
        return fail(error, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return fail(error, QStringLiteral("unexpected argument: %1")
                               .arg(parser.positionalArguments().constFirst()));
    help_ = parser.isSet(QStringLiteral("help"));
    listModels_ = parser.isSet(kListModels);
    if (help_ || listModels_)
        return true;

    if (!parser.isSet(kModel))
        return fail(error, QStringLiteral("--model is required"));
    setup_.model = data::KeyboardInfo::find(parser.value(kModel));
    if (!setup_.model)
        return fail(error, QStringLiteral("unknown keyboard model: %1").arg(parser.value(kModel)));
    setup_.stateDirectory = parser.value(kState);
    if (parser.isSet(kName)) {
        portName_ = parser.value(kName).trimmed();
        if (portName_.isEmpty())
            return fail(error, QStringLiteral("--name needs a name"));
    }
    return readFaults(parser, error);
}

bool KeyboardOptions::readFaults(const QCommandLineParser& parser, QString* error) {
    FaultPlan& faults = setup_.faults;
    if (parser.isSet(kDropType) &&
        !FaultPlan::parseMessageTypes(parser.value(kDropType), faults.dropReplyTypes))
        return fail(error, QStringLiteral("--drop-type: unknown message type in \"%1\"")
                               .arg(parser.value(kDropType)));
    if (!readOccurrences(parser, kDropReply, faults.dropRepliesTo, error) ||
        !readOccurrences(parser, kCorruptBlock, faults.corruptBlocks, error) ||
        !readOccurrences(parser, kRejectAck, faults.rejectAcks, error) ||
        !readOccurrences(parser, kLoseBlock, faults.lostBlocks, error))
        return false;
    return readCount(parser, kSilentAfter, faults.silentAfter, error) &&
           readCount(parser, kDelay, faults.replyDelayMs, error) &&
           readCount(parser, kDeleteTime, faults.deleteTimeMs, error);
}

} // namespace zel::qmix::emu
