// Figures of the bulk-transfer engine: a full backup and a full restore of a
// PRV-3200 (3,706,768 bytes) over the in-process wire and over a JACK server,
// in wall and CPU seconds. Over JACK the wall time is set against its floor:
// every exchange of the transfer costs at least one measured round trip of a
// message and its answer (measured before and after it, the mean taken), and
// the restore adds its fixed picture pause.
#include "bench/RequestLoopCommand.h"
#include "comm/AllDataBulkReceiveCommand.h"
#include "comm/AllDataBulkSendCommand.h"
#include "comm/BulkReceiveCommandResult.h"
#include "data/KeyboardInfo.h"
#include "emu/KeyboardFactory.h"
#include "emu/KeyboardWireEndpoint.h"
#include "midi/DeviceHandler.h"
#include "midi/Wire.h"
#include "tests/support/JackServer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

using namespace zel::qmix;

namespace {

constexpr int kRoundTripSamples = 500;
constexpr int kBlockSize = comm::BulkDumpCommand::BlockSize;

const data::KeyboardInfo* prv3200() {
    return data::KeyboardInfo::find(QStringLiteral("PRV-3200"));
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

int blocksOf(qint64 bytes) {
    return int((bytes + kBlockSize - 1) / kBlockSize);
}

qint64 pictureBlocks(const QList<QByteArray>& pictures, int index) {
    return blocksOf(pictures.at(index % pictures.size()).size());
}

// Messages of a backup that wait for an answer: the size requests and the
// name, and per block its picture (SBS, the picture's blocks, ESS), SBS and
// HBR, an ACK for every block but the last, and the ACK that draws the ESS.
qint64 backupExchanges(const data::KeyboardInfo* model) {
    const QList<int> sizes = model->allDataBlockSizes();
    const QList<QByteArray> pictures = model->allDataLcdPictures(true);
    qint64 exchanges = 1 + sizes.size() + 2;
    for (int block = 0; block < sizes.size(); ++block)
        exchanges += 1 + pictureBlocks(pictures, block) + 1 + 1 + blocksOf(sizes.at(block)) + 1;
    return exchanges;
}

// Of a restore: the size requests, the SBS, and every block and ESS of the
// blocks and the pictures between them.
qint64 restoreExchanges(const data::KeyboardInfo* model) {
    const QList<int> sizes = model->allDataBlockSizes();
    const QList<QByteArray> pictures = model->allDataLcdPictures(false);
    qint64 exchanges = 1 + sizes.size() + 1;
    for (int block = 0; block < sizes.size(); ++block)
        exchanges += blocksOf(sizes.at(block)) + 1;
    for (int picture = 0; picture < pictures.size(); ++picture)
        exchanges += pictureBlocks(pictures, picture) + 1;
    return exchanges;
}

struct Measured {
    double wall = 0.0;
    double cpu = 0.0;
    int errorCode = -1;
    QByteArray data;
};

Measured backup(midi::DeviceHandler& handler) {
    comm::AllDataBulkReceiveCommand command(&handler, nullptr);
    command.setDevice(new QBuffer(&command));
    command.setExpectedSizes(prv3200()->allDataBlockSizes());
    command.setLcdPictures(prv3200()->allDataLcdPictures(true));
    command.setEndsWithExi(prv3200()->isSecondGeneration());
    Measured measured;
    QElapsedTimer clock;
    const double cpuBefore = processCpuSeconds();
    clock.start();
    command.execute();
    measured.wall = double(clock.nsecsElapsed()) / 1e9;
    measured.cpu = processCpuSeconds() - cpuBefore;
    measured.errorCode = command.errorCode();
    measured.data = command.result().value<comm::BulkReceiveCommandResult>().data;
    return measured;
}

Measured restore(midi::DeviceHandler& handler, const QByteArray& image) {
    comm::AllDataBulkSendCommand command(&handler, nullptr);
    auto* buffer = new QBuffer(&command);
    buffer->setData(image);
    command.setDevice(buffer);
    command.setExpectedSizes(prv3200()->allDataBlockSizes());
    command.setLcdPictures(prv3200()->allDataLcdPictures(false));
    command.setEndsWithExi(prv3200()->isSecondGeneration());
    Measured measured;
    QElapsedTimer clock;
    const double cpuBefore = processCpuSeconds();
    clock.start();
    command.execute();
    measured.wall = double(clock.nsecsElapsed()) / 1e9;
    measured.cpu = processCpuSeconds() - cpuBefore;
    measured.errorCode = command.errorCode();
    return measured;
}

double roundTripSeconds(midi::DeviceHandler& handler) {
    bench::RequestLoopCommand loop(&handler, kRoundTripSamples);
    QElapsedTimer clock;
    clock.start();
    loop.execute();
    if (loop.answered() != kRoundTripSamples)
        return -1.0;
    return double(clock.nsecsElapsed()) / 1e9 / kRoundTripSamples;
}

void report(benchmark::State& state, const Measured& measured) {
    state.SetIterationTime(measured.wall);
    state.counters["wall_s"] = measured.wall;
    state.counters["cpu_s"] = measured.cpu;
    state.counters["cpu_percent_of_wall"] = 100.0 * measured.cpu / measured.wall;
    state.counters["MB_per_s"] = 3706768.0 / 1e6 / measured.wall;
}

void reportFloor(benchmark::State& state, const Measured& measured, qint64 exchanges,
                 double roundTrip, double pauses) {
    const double floor = double(exchanges) * roundTrip + pauses;
    state.counters["round_trip_ms"] = roundTrip * 1e3;
    state.counters["exchanges"] = double(exchanges);
    state.counters["floor_s"] = floor;
    state.counters["wall_to_floor"] = measured.wall / floor;
    state.counters["ms_per_exchange"] = (measured.wall - pauses) * 1e3 / double(exchanges);
}

// ---- the in-process wire --------------------------------------------------

struct WireLink {
    WireLink() {
        emu::KeyboardSetup setup;
        setup.model = prv3200();
        keyboard =
            std::make_unique<emu::KeyboardWireEndpoint>(emu::KeyboardFactory::create(setup), name);
        midi::Wire::attach(keyboard.get());
        connected = handler.openMatching(name, name);
    }
    ~WireLink() {
        handler.disconnectDevice();
        midi::Wire::detach(keyboard.get());
    }

    const QString name = QStringLiteral("Bench Bulk Keyboard");
    std::unique_ptr<emu::KeyboardWireEndpoint> keyboard;
    midi::DeviceHandler handler;
    bool connected = false;
};

void BM_FullBackupOverWire(benchmark::State& state) {
    WireLink link;
    if (!link.connected) {
        state.SkipWithError("cannot open the wire ports");
        return;
    }
    for (auto _ : state) {
        const Measured measured = backup(link.handler);
        if (measured.errorCode != 0) {
            state.SkipWithError("the backup failed");
            return;
        }
        report(state, measured);
    }
}
BENCHMARK(BM_FullBackupOverWire)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_FullRestoreOverWire(benchmark::State& state) {
    WireLink link;
    if (!link.connected) {
        state.SkipWithError("cannot open the wire ports");
        return;
    }
    const Measured saved = backup(link.handler);
    if (saved.errorCode != 0) {
        state.SkipWithError("the backup to restore failed");
        return;
    }
    for (auto _ : state) {
        const Measured measured = restore(link.handler, saved.data);
        if (measured.errorCode != 0) {
            state.SkipWithError("the restore failed");
            return;
        }
        report(state, measured);
        // Of the wall time, this much is the picture pause.
        state.counters["pause_s"] = comm::BulkSendCommand::PictureHoldMs / 1e3;
    }
}
BENCHMARK(BM_FullRestoreOverWire)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// ---- JACK -----------------------------------------------------------------

#ifdef TH_KEYBOARD_PATH
// The virtual keyboard as its own process on the ports of a private JACK
// server (synchronous, 64-frame period), as a real keyboard would be reached.
struct JackLink {
    bool start(QString* error) {
        if (!server.start(error))
            return false;
        keyboard.start(QStringLiteral(TH_KEYBOARD_PATH),
                       {QStringLiteral("--model"), QStringLiteral("PRV-3200")});
        QElapsedTimer waited;
        waited.start();
        while (!keyboard.canReadLine() && waited.elapsed() < 20000)
            keyboard.waitForReadyRead(100);
        if (keyboard.readLine().trimmed() != "READY") {
            *error = QStringLiteral("the virtual keyboard did not get ready");
            return false;
        }
        if (!handler.connectDevice()) {
            *error = QStringLiteral("the search did not find the virtual keyboard");
            return false;
        }
        return true;
    }
    ~JackLink() {
        handler.disconnectDevice();
        keyboard.terminate();
        keyboard.waitForFinished(5000);
    }

    testsupport::JackServer server{QStringLiteral("toneharbour-bulk-bench")};
    QProcess keyboard;
    midi::DeviceHandler handler;
};

void BM_FullBackupOverJack(benchmark::State& state) {
    JackLink link;
    QString error;
    if (!link.start(&error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        const double before = roundTripSeconds(link.handler);
        const Measured measured = backup(link.handler);
        const double after = roundTripSeconds(link.handler);
        if (measured.errorCode != 0 || before <= 0 || after <= 0) {
            state.SkipWithError("the backup failed");
            return;
        }
        report(state, measured);
        reportFloor(state, measured, backupExchanges(prv3200()), (before + after) / 2, 0.0);
    }
}
BENCHMARK(BM_FullBackupOverJack)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_FullRestoreOverJack(benchmark::State& state) {
    JackLink link;
    QString error;
    if (!link.start(&error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    const Measured saved = backup(link.handler);
    if (saved.errorCode != 0) {
        state.SkipWithError("the backup to restore failed");
        return;
    }
    for (auto _ : state) {
        const double before = roundTripSeconds(link.handler);
        const Measured measured = restore(link.handler, saved.data);
        const double after = roundTripSeconds(link.handler);
        if (measured.errorCode != 0 || before <= 0 || after <= 0) {
            state.SkipWithError("the restore failed");
            return;
        }
        report(state, measured);
        reportFloor(state, measured, restoreExchanges(prv3200()), (before + after) / 2,
                    comm::BulkSendCommand::PictureHoldMs / 1e3);
    }
}
BENCHMARK(BM_FullRestoreOverJack)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
#endif

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
