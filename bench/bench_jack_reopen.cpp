// Stress figures of the JACK ports: the program's port pair opened and closed
// thousands of times against the virtual keyboard program on a private JACK
// server (synchronous, 64-frame period), then a rhythm sent and received back
// through the command engine, byte for byte. Also the CPU the process burns
// while a pair is open and nothing is sent.
//
//   bench_jack_reopen [CYCLES]      (default 5000)
//
// A crash inside the MIDI libraries ends the process, so "crashes 0" is only
// ever printed by a run that lived through every cycle.
#include "comm/BulkReceiveCommand.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommand.h"
#include "data/KeyboardInfo.h"
#include "etc/AlwaysYesChecker.h"
#include "midi/DeviceHandler.h"
#include "tests/support/JackServer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace zel::qmix;

namespace {

constexpr int DefaultCycles = 5000;
constexpr int IdleSeconds = 10;
// Every so many cycles the pair is found by the full search instead, so
// that port listing and probing are stressed as well.
constexpr int SearchEvery = 250;
constexpr int RhythmCategory = comm::BulkSendCommand::RhythmCategory;
constexpr int RhythmArea = 2;
constexpr int RhythmBytes = 1500;

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray rhythmData() {
    QByteArray data(RhythmBytes, Qt::Uninitialized);
    for (int i = 0; i < RhythmBytes; ++i)
        data[i] = char((i * 31 + 11 + (i >> 8) * 13) & 0xFF);
    return data;
}

bool startKeyboard(QProcess& keyboard) {
    // Not left behind when a crash ends the benchmark.
    keyboard.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    keyboard.start(QStringLiteral(TH_KEYBOARD_PATH),
                   {QStringLiteral("--model"), QStringLiteral("PRV-3200")});
    QElapsedTimer waited;
    waited.start();
    while (!keyboard.canReadLine() && waited.elapsed() < 20000)
        keyboard.waitForReadyRead(100);
    return keyboard.readLine().trimmed() == "READY";
}

// With the pair open and nothing sent, only the MIDI threads can be awake.
double idleCpuPercent() {
    const double before = processCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    std::this_thread::sleep_for(std::chrono::seconds(IdleSeconds));
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    return 100.0 * (processCpuSeconds() - before) / wall;
}

// Sends a rhythm into an area and reads it back; true when what came back
// is what went.
bool rhythmRoundTrip(midi::DeviceHandler& handler, const data::KeyboardInfo* model) {
    const QByteArray sent = rhythmData();
    etc::AlwaysYesChecker overwrite;
    comm::BulkSendCommand send(&handler, RhythmCategory, RhythmArea, nullptr);
    auto* source = new QBuffer(&send);
    source->setData(sent);
    send.setDevice(source);
    send.setChecker(&overwrite);
    send.setEndsWithExi(model->isSecondGeneration());
    send.execute();
    if (send.errorCode() != 0) {
        std::printf("rhythm send failed: error %d\n", send.errorCode());
        return false;
    }
    comm::BulkReceiveCommand receive(&handler, RhythmCategory, RhythmArea, nullptr);
    receive.setDevice(new QBuffer(&receive));
    receive.setEndsWithExi(model->isSecondGeneration());
    receive.execute();
    const auto result = receive.result().value<comm::BulkReceiveCommandResult>();
    if (receive.errorCode() != 0 || !result.succeeded) {
        std::printf("rhythm receive failed: error %d\n", receive.errorCode());
        return false;
    }
    std::printf("rhythm sent %d bytes, received %d bytes, identical %s\n", int(sent.size()),
                int(result.data.size()), result.data == sent ? "yes" : "NO");
    return result.data == sent;
}

int run(int cycles) {
    testsupport::JackServer server(QStringLiteral("toneharbour-reopen-bench"));
    QString error;
    if (!server.start(&error)) {
        std::printf("%s\n", qPrintable(error));
        return 1;
    }
    QProcess keyboard;
    if (!startKeyboard(keyboard)) {
        std::printf("the virtual keyboard did not get ready\n");
        return 1;
    }
    const data::KeyboardInfo* model = data::KeyboardInfo::find(QStringLiteral("PRV-3200"));
    int status = 0;
    {
        midi::DeviceHandler handler;
        if (!handler.connectDevice()) {
            std::printf("the search did not find the virtual keyboard\n");
            return 1;
        }
        const midi::InDeviceInfo in = handler.connectedIn();
        const midi::OutDeviceInfo out = handler.connectedOut();
        std::printf("pair %s / %s\n", qPrintable(in.name()), qPrintable(out.name()));
        std::printf("idle_cpu_percent_of_a_core %.2f (one open pair, %d s)\n", idleCpuPercent(),
                    IdleSeconds);
        std::fflush(stdout);

        QElapsedTimer clock;
        clock.start();
        int failedOpens = 0;
        for (int cycle = 1; cycle <= cycles; ++cycle) {
            const bool opened =
                cycle % SearchEvery == 0 ? handler.connectDevice() : handler.openPair(in, out);
            if (!opened)
                ++failedOpens;
            handler.disconnectDevice();
            if (cycle % 1000 == 0) {
                std::printf("  %d cycles, %.1f s\n", cycle, double(clock.elapsed()) / 1e3);
                std::fflush(stdout);
            }
        }
        const double seconds = double(clock.elapsed()) / 1e3;
        std::printf("cycles %d, time %.1f s (%.2f ms per cycle), failed opens %d\n", cycles,
                    seconds, seconds * 1e3 / cycles, failedOpens);
        if (!handler.openPair(in, out)) {
            std::printf("the pair does not open after the cycles\n");
            status = 1;
        } else if (!rhythmRoundTrip(handler, model)) {
            status = 1;
        }
        if (failedOpens != 0)
            status = 1;
        handler.disconnectDevice();
    }
    std::printf("crashes 0\n");
    keyboard.terminate();
    if (!keyboard.waitForFinished(5000)) {
        keyboard.kill();
        keyboard.waitForFinished(5000);
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int cycles = argc > 1 ? QByteArray(argv[1]).toInt() : DefaultCycles;
    return run(cycles > 0 ? cycles : DefaultCycles);
}
