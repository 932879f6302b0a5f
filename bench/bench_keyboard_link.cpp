// Figures of the keyboard link: parameter-request round trips per second over
// the in-process wire and over a JACK server, and the CPU a command burns
// while it waits for a keyboard that does not answer.
#include "bench/RequestLoopCommand.h"
#include "bench/SilentEndpoint.h"
#include "data/KeyboardInfo.h"
#include "emu/KeyboardFactory.h"
#include "emu/KeyboardWireEndpoint.h"
#include "midi/DeviceHandler.h"
#include "midi/Wire.h"
#include "tests/support/JackServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

using namespace zel::qmix;

namespace {

constexpr int kRequestsPerRun = 2000;

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs request loops against whatever `handler` is connected to.
void measureRoundTrips(benchmark::State& state, midi::DeviceHandler& handler) {
    qint64 answered = 0;
    for (auto _ : state) {
        bench::RequestLoopCommand command(&handler, kRequestsPerRun);
        command.execute();
        if (command.answered() != kRequestsPerRun) {
            state.SkipWithError("the keyboard stopped answering");
            return;
        }
        answered += command.answered();
    }
    state.counters["round_trips_per_s"] =
        benchmark::Counter(double(answered), benchmark::Counter::kIsRate);
}

std::unique_ptr<emu::KeyboardWireEndpoint> emulatedKeyboard(const QString& name) {
    emu::KeyboardSetup setup;
    setup.model = data::KeyboardInfo::find(QStringLiteral("PRV-3200"));
    return std::make_unique<emu::KeyboardWireEndpoint>(emu::KeyboardFactory::create(setup), name);
}

void BM_ParameterRequestsOverWire(benchmark::State& state) {
    const QString name = QStringLiteral("Bench Keyboard");
    std::unique_ptr<emu::KeyboardWireEndpoint> keyboard = emulatedKeyboard(name);
    midi::Wire::attach(keyboard.get());
    midi::DeviceHandler handler;
    if (!handler.openMatching(name, name)) {
        state.SkipWithError("cannot open the wire ports");
        return;
    }
    measureRoundTrips(state, handler);
    handler.disconnectDevice();
}
// Repeated, because a busy machine now and then delays a thread switch; the
// median is the figure to read.
BENCHMARK(BM_ParameterRequestsOverWire)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

#ifdef TH_KEYBOARD_PATH
// The virtual keyboard as its own process on JACK ports, as a real keyboard
// would be reached.
void BM_ParameterRequestsOverJack(benchmark::State& state) {
    testsupport::JackServer server(QStringLiteral("toneharbour-bench"));
    QString error;
    if (!server.start(&error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    QProcess keyboard;
    keyboard.start(QStringLiteral(TH_KEYBOARD_PATH),
                   {QStringLiteral("--model"), QStringLiteral("PRV-3200")});
    QElapsedTimer waited;
    waited.start();
    while (!keyboard.canReadLine() && waited.elapsed() < 20000)
        keyboard.waitForReadyRead(100);
    if (keyboard.readLine().trimmed() != "READY") {
        state.SkipWithError("the virtual keyboard did not get ready");
        return;
    }
    midi::DeviceHandler handler;
    if (!handler.connectDevice()) {
        state.SkipWithError("the search did not find the virtual keyboard");
        return;
    }
    measureRoundTrips(state, handler);
    handler.disconnectDevice();
    keyboard.terminate();
    keyboard.waitForFinished(5000);
}
BENCHMARK(BM_ParameterRequestsOverJack)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
#endif

// A request to a keyboard that never answers waits out its whole time-out;
// the process should sleep through it, not spin.
void BM_SilentKeyboardWait(benchmark::State& state) {
    const QString name = QStringLiteral("Bench Silent Keyboard");
    bench::SilentEndpoint silent(name);
    midi::Wire::attach(&silent);
    midi::DeviceHandler handler;
    if (!handler.openMatching(name, name)) {
        state.SkipWithError("cannot open the wire ports");
        return;
    }
    double cpu = 0.0;
    double wall = 0.0;
    for (auto _ : state) {
        bench::RequestLoopCommand command(&handler, 1);
        command.setReplyTimeoutMs(2000);
        QElapsedTimer clock;
        const double cpuBefore = processCpuSeconds();
        clock.start();
        command.execute();
        wall += clock.nsecsElapsed() / 1e9;
        cpu += processCpuSeconds() - cpuBefore;
    }
    state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
    handler.disconnectDevice();
    midi::Wire::detach(&silent);
}
BENCHMARK(BM_SilentKeyboardWait)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
