#include "app/WindowOptions.h"

#include "data/KeyboardInfo.h"

#include <QCommandLineParser>

namespace zel::qmix::gui {

WindowOptions::Outcome WindowOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tone Harbour: moves user data between a keyboard and the PC, backs "
                       "up and restores it, sends packages and prepares SD-card audio."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption emulate(
        QStringLiteral("emulate"),
        QStringLiteral("Use the built-in virtual keyboard of model MODEL instead of MIDI ports."),
        QStringLiteral("MODEL"));
    const QCommandLineOption in(QStringLiteral("in"),
                                QStringLiteral("Open the first MIDI input whose name contains "
                                               "PATTERN instead of searching."),
                                QStringLiteral("PATTERN"));
    const QCommandLineOption out(QStringLiteral("out"),
                                 QStringLiteral("Open the first MIDI output whose name contains "
                                                "PATTERN instead of searching."),
                                 QStringLiteral("PATTERN"));
    const QCommandLineOption screenshots(
        QStringLiteral("screenshots"),
        QStringLiteral("Save a picture of every tab as PNG files in DIR, then quit."),
        QStringLiteral("DIR"));
    parser.addOptions({help, emulate, in, out, screenshots});

    const QString usage = parser.helpText();
    if (!parser.parse(arguments)) {
        message_ = parser.errorText() + QStringLiteral("\n\n") + usage;
        return Outcome::ExitUsage;
    }
    if (parser.isSet(help)) {
        message_ = usage;
        return Outcome::ExitOk;
    }
    if (!parser.positionalArguments().isEmpty()) {
        message_ = QStringLiteral("Unexpected argument: %1\n\n%2")
                       .arg(parser.positionalArguments().first(), usage);
        return Outcome::ExitUsage;
    }
    if (parser.isSet(in) != parser.isSet(out)) {
        message_ = QStringLiteral("--in and --out go together.\n\n") + usage;
        return Outcome::ExitUsage;
    }
    if (parser.isSet(emulate) && parser.isSet(in)) {
        message_ = QStringLiteral("--emulate cannot be combined with --in and --out.\n\n") + usage;
        return Outcome::ExitUsage;
    }
    if (parser.isSet(emulate) && !data::KeyboardInfo::find(parser.value(emulate))) {
        message_ =
            QStringLiteral("Unknown keyboard model: %1\n\n%2").arg(parser.value(emulate), usage);
        return Outcome::ExitUsage;
    }
    emulatedModel_ = parser.value(emulate);
    if (parser.isSet(in))
        ports_ = comm::PortChoice::matching(parser.value(in), parser.value(out));
    screenshotFolder_ = parser.value(screenshots);
    return Outcome::Run;
}

QStringList WindowOptions::emulationArguments() const {
    return {QStringLiteral("toneharbour-keyboard"), QStringLiteral("--model"), emulatedModel_};
}

void WindowOptions::useEmulatedPorts(const QString& portName) {
    ports_ = comm::PortChoice::matching(portName, portName);
}

} // namespace zel::qmix::gui
