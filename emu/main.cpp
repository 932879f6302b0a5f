// toneharbour-keyboard: a virtual keyboard on virtual MIDI ports, for trying
// and testing Tone Harbour without the instrument.

#include "data/KeyboardInfo.h"
#include "emu/KeyboardFactory.h"
#include "emu/KeyboardOptions.h"
#include "emu/KeyboardRunner.h"
#include "emu/SignalWatcher.h"
#include "midi/MidiApi.h"
#include "midi/VirtualPortPair.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

using namespace zel::qmix;

namespace {

// Exit codes: 0 ended normally, 1 could not start, 2 bad command line.
constexpr int kCannotStart = 1;
constexpr int kUsageError = 2;

const char* kPortSuffix = "MIDI 1";
// JACK refuses a new client now and then while another of a similar name is
// going away; a few tries get past that.
constexpr int kOpenAttempts = 5;
constexpr unsigned long kOpenRetryMs = 200;

void printTo(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("toneharbour-keyboard"));

    emu::KeyboardOptions options;
    QString error;
    if (!options.parse(QCoreApplication::arguments(), &error)) {
        printTo(stderr, QStringLiteral("toneharbour-keyboard: %1\nTry --help.\n").arg(error));
        return kUsageError;
    }
    if (options.helpRequested()) {
        printTo(stdout, options.helpText());
        return 0;
    }
    if (options.modelListRequested()) {
        printTo(stdout, emu::KeyboardOptions::modelList());
        return 0;
    }

    std::unique_ptr<emu::VirtualKeyboard> keyboard =
        emu::KeyboardFactory::create(options.setup(), &error);
    if (!keyboard) {
        printTo(stderr, QStringLiteral("toneharbour-keyboard: %1\n").arg(error));
        return kCannotStart;
    }

    emu::SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &emu::SignalWatcher::terminationRequested, &app,
                     &QCoreApplication::quit);

    midi::VirtualPortPair ports;
    emu::KeyboardRunner runner(std::move(keyboard),
                               [&ports](const QByteArray& message) { ports.send(message); });
    runner.start();
    // The MIDI thread only queues what arrives; the runner answers.
    bool open = false;
    for (int attempt = 0; attempt < kOpenAttempts && !open; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kOpenRetryMs);
        open = ports.open(options.portName(), QString::fromLatin1(kPortSuffix),
                          [&runner](QByteArray message) { runner.post(message); });
    }
    if (!open) {
        printTo(stderr, QStringLiteral("toneharbour-keyboard: cannot open virtual MIDI ports "
                                       "(neither the ALSA sequencer nor a JACK server runs)\n"));
        return kCannotStart;
    }
    printTo(stderr, QStringLiteral("toneharbour-keyboard: %1 on %2 as \"%3\"\n")
                        .arg(options.setup().model->modelName().trimmed(),
                             midi::midiApiName(ports.api()), options.portName()));
    printTo(stdout, QStringLiteral("READY\n"));

    const int status = app.exec();
    // Ports first, so nothing arrives for a keyboard that is going away.
    ports.close();
    runner.stop();
    return status;
}
