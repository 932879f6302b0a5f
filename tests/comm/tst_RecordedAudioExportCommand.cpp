#include "CommandCaller.h"
#include "comm/CommandErrorCode.h"
#include "comm/FileCopyCommandResult.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/RecordedAudioExportCommand.h"

#include "audio/SamplingFormatConverter.h"
#include "file/FreeSpace.h"

#include "../audio/WaveImages.h"

#include "ProtectedPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace zel::qmix;
using comm::CommandErrorCode;
using comm::FileCopyCommandResult;
using comm::RecordedAudioExportCommand;
using comm::WaveFileCopyToSdCommand;

namespace {

constexpr int Patience = 30000;

// A quiet recording: a saw wave that peaks at `peak`.
std::vector<qint64> quietSamples(qint64 count, qint64 peak) {
    std::vector<qint64> values(size_t(count), 0);
    for (qint64 i = 0; i < count; ++i)
        values[size_t(i)] = (i % 201 - 100) * peak / 100;
    return values;
}

QByteArray recording(quint32 rate, qint64 frames, qint64 peak = 1000,
                     const QByteArray& after = QByteArray(), quint16 bits = 16,
                     quint16 channels = 2) {
    wave_images::Format format;
    format.rate = rate;
    format.bits = bits;
    format.channels = channels;
    const QByteArray data = wave_images::sampleBytes(quietSamples(frames * channels, peak), bits);
    return wave_images::riff(wave_images::fmtChunk(format) + wave_images::chunk("data", data) +
                             after);
}

qint64 peakOf(const std::vector<qint64>& samples) {
    qint64 peak = 0;
    for (qint64 sample : samples)
        peak = std::max(peak, qAbs(sample));
    return peak;
}

struct ProgressStep {
    int phase;
    int percent;
};

FileCopyCommandResult resultOf(const RecordedAudioExportCommand& command) {
    return command.result().value<FileCopyCommandResult>();
}

} // namespace

class tst_RecordedAudioExportCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void exportsAt44100WithTheLevelRaised();
    void recordingAt44100IsOnlyNormalised();
    void leavesOutWhatFollowsTheAudio();
    void existingNamesGetANumber();
    void unsafeNamesAreMadeSafe();
    void refusals_data();
    void refusals();
    void cancelDuringDeliveryLeavesNoFile();
    void registrationReportsTheOverallPercentage();

private:
    QString cardFile(const QString& name, const QByteArray& bytes);
    QStringList exported() const;

    QTemporaryDir root_;
    QString temporaryFolder_;
    QString card_;
    QString pc_;
};

void tst_RecordedAudioExportCommand::initTestCase() {
    QVERIFY(root_.isValid());
    temporaryFolder_ = root_.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temporaryFolder_));
    qputenv("TMPDIR", temporaryFolder_.toLocal8Bit());
    QCOMPARE(QDir::tempPath(), temporaryFolder_);
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
    audio::SamplingFormatConverter::setTraceEnabled(false);
}

void tst_RecordedAudioExportCommand::init() {
    static int round = 0;
    ++round;
    card_ = root_.filePath(QStringLiteral("card%1/MUSICDAT").arg(round));
    pc_ = root_.filePath(QStringLiteral("pc%1").arg(round));
    QVERIFY(QDir().mkpath(card_));
    QVERIFY(QDir().mkpath(pc_));
}

void tst_RecordedAudioExportCommand::cleanup() {
    const QStringList left =
        QDir(temporaryFolder_).entryList(QDir::Files | QDir::Hidden | QDir::System);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(' ')));
}

QString tst_RecordedAudioExportCommand::cardFile(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(card_).filePath(name);
    wave_images::writeFile(path, bytes);
    return path;
}

QStringList tst_RecordedAudioExportCommand::exported() const {
    return QDir(pc_).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void tst_RecordedAudioExportCommand::exportsAt44100WithTheLevelRaised() {
    const QString source = cardFile(QStringLiteral("_REC0001.WV7"), recording(42819, 8000));
    const QByteArray before = wave_images::readFile(source);
    RecordedAudioExportCommand command(source, QStringLiteral("Take 1      "), QDir(pc_));
    QList<ProgressStep> steps;
    connect(&command, &WaveFileCopyToSdCommand::progress2, &command, [&](int percent, int) {
        steps.append({command.phase(), percent});
    });

    command.execute();

    const FileCopyCommandResult result = resultOf(command);
    QCOMPARE(result.errorCode, 0);
    QCOMPARE(result.sourcePath, source);
    QCOMPARE(result.destinationPath, QDir(pc_).filePath(QStringLiteral("Take 1.WAV")));
    QCOMPARE(exported(), QStringList{"Take 1.WAV"});
    const wave_images::Canonical written = wave_images::readCanonical(result.destinationPath);
    QVERIFY(written.ok);
    QCOMPARE(written.rate, 44100u);
    QCOMPARE(written.channels, quint16(2));
    QCOMPARE(written.bits, quint16(16));
    QVERIFY(qAbs(qint64(written.dataSize / 4) - qint64(8000.0 * 44100 / 42819)) <= 1);
    // A peak near 1000 (a little more after the rate conversion's ringing)
    // is raised by the largest gain, 3.5, not up to full scale.
    QVERIFY(peakOf(written.samples) > 3000);
    QVERIFY(peakOf(written.samples) <= 4550);
    QCOMPARE(wave_images::readFile(source), before);

    // Copy, rate, level, delivery, each within its own part.
    const QMap<int, QPair<int, int>> ranges = {
        {WaveFileCopyToSdCommand::CopyPhase, {0, 5}},
        {WaveFileCopyToSdCommand::SamplingRatePhase, {5, 75}},
        {WaveFileCopyToSdCommand::NormalizePhase, {75, 95}},
        {WaveFileCopyToSdCommand::DeliverPhase, {95, 100}}};
    QList<int> phases;
    int previous = -1;
    for (const ProgressStep& step : steps) {
        if (phases.isEmpty() || phases.constLast() != step.phase)
            phases.append(step.phase);
        QVERIFY(ranges.contains(step.phase));
        QVERIFY(step.percent >= ranges[step.phase].first &&
                step.percent <= ranges[step.phase].second);
        QVERIFY(step.percent > previous);
        previous = step.percent;
    }
    QCOMPARE(phases, (QList<int>{WaveFileCopyToSdCommand::CopyPhase,
                                 WaveFileCopyToSdCommand::SamplingRatePhase,
                                 WaveFileCopyToSdCommand::NormalizePhase,
                                 WaveFileCopyToSdCommand::DeliverPhase}));
    QCOMPARE(steps.constLast().percent, 100);
}

void tst_RecordedAudioExportCommand::recordingAt44100IsOnlyNormalised() {
    const QString source = cardFile(QStringLiteral("_REC0002.WV7"), recording(44100, 4410, 2000));
    RecordedAudioExportCommand command(source, QStringLiteral("Take 2"), QDir(pc_));

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    const wave_images::Canonical written =
        wave_images::readCanonical(resultOf(command).destinationPath);
    QVERIFY(written.ok);
    QCOMPARE(written.dataSize, 4410u * 4);
    const std::vector<qint64> original = quietSamples(4410 * 2, 2000);
    QCOMPARE(written.samples.size(), original.size());
    for (size_t i = 0; i < original.size(); ++i)
        QCOMPARE(written.samples[i], qint64(double(original[i]) * 3.5));
}

void tst_RecordedAudioExportCommand::leavesOutWhatFollowsTheAudio() {
    // At full level nothing is raised: the export is a clean copy.
    const QByteArray audio = recording(44100, 4410, 32767);
    const QString source = cardFile(QStringLiteral("_REC0003.WV7"),
                                    audio + wave_images::chunk("junk", QByteArray(3000, 'j')));
    RecordedAudioExportCommand command(source, QStringLiteral("Clean"), QDir(pc_), audio.size());

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    QCOMPARE(wave_images::readFile(resultOf(command).destinationPath), audio);
}

void tst_RecordedAudioExportCommand::existingNamesGetANumber() {
    const QString source = cardFile(QStringLiteral("_REC0004.WV7"), recording(44100, 441));
    wave_images::writeFile(QDir(pc_).filePath(QStringLiteral("Take 1.WAV")), "mine");

    RecordedAudioExportCommand first(source, QStringLiteral("Take 1"), QDir(pc_));
    first.execute();
    RecordedAudioExportCommand second(source, QStringLiteral("Take 1"), QDir(pc_));
    second.execute();

    QCOMPARE(resultOf(first).destinationPath, QDir(pc_).filePath(QStringLiteral("Take 1(2).WAV")));
    QCOMPARE(resultOf(second).destinationPath, QDir(pc_).filePath(QStringLiteral("Take 1(3).WAV")));
    QCOMPARE(wave_images::readFile(QDir(pc_).filePath(QStringLiteral("Take 1.WAV"))),
             QByteArray("mine"));
}

void tst_RecordedAudioExportCommand::unsafeNamesAreMadeSafe() {
    const QString source = cardFile(QStringLiteral("_REC0005.WV7"), recording(44100, 441));
    RecordedAudioExportCommand command(source, QStringLiteral("../up:here "), QDir(pc_));

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    // Trimmed, the leading dot and the path characters replaced.
    QCOMPARE(exported(), QStringList{"_._up_here.WAV"});
}

enum class Refusal { Malformed, Missing, NotStereo16, ClosedFolder, TooLittleRoom };

void tst_RecordedAudioExportCommand::refusals_data() {
    QTest::addColumn<int>("refusal");
    QTest::addColumn<int>("expected");

    QTest::newRow("malformed") << int(Refusal::Malformed) << int(CommandErrorCode::FileFormatError);
    QTest::newRow("missing") << int(Refusal::Missing) << int(CommandErrorCode::FileReadError);
    QTest::newRow("24-bit mono") << int(Refusal::NotStereo16)
                                 << int(CommandErrorCode::FileFormatError);
    QTest::newRow("folder closed")
        << int(Refusal::ClosedFolder) << int(CommandErrorCode::FileWriteError);
    QTest::newRow("too little room")
        << int(Refusal::TooLittleRoom) << int(CommandErrorCode::FileWriteError);
}

void tst_RecordedAudioExportCommand::refusals() {
    QFETCH(int, refusal);
    QFETCH(int, expected);

    QString source = cardFile(QStringLiteral("_REC0006.WV7"), recording(42819, 4000));
    std::unique_ptr<ProtectedPath> closed;
    switch (Refusal(refusal)) {
    case Refusal::Malformed:
        source = cardFile(QStringLiteral("_BAD0001.WV7"), recording(42819, 100).left(50));
        break;
    case Refusal::Missing:
        source = QDir(card_).filePath(QStringLiteral("_GONE001.WV7"));
        break;
    case Refusal::NotStereo16:
        source = cardFile(QStringLiteral("_ODD0001.WV7"), recording(42819, 400, 1000, {}, 24, 1));
        break;
    case Refusal::ClosedFolder:
        closed = std::make_unique<ProtectedPath>(pc_);
        if (!closed->isEffective())
            QSKIP("the folder cannot be closed to new files here");
        break;
    case Refusal::TooLittleRoom:
        file::FreeSpace::setOverride(4000 * 4);
        break;
    }
    RecordedAudioExportCommand command(source, QStringLiteral("Take"), QDir(pc_));

    command.execute();
    file::FreeSpace::clearOverride();

    QCOMPARE(resultOf(command).errorCode, expected);
    QVERIFY(exported().isEmpty());
}

void tst_RecordedAudioExportCommand::cancelDuringDeliveryLeavesNoFile() {
    const QString source = cardFile(QStringLiteral("_REC0007.WV7"), recording(42819, 2000));
    RecordedAudioExportCommand command(source, QStringLiteral("Cut"), QDir(pc_));
    // Once the level is done, only the delivery is left to notice.
    connect(&command, &WaveFileCopyToSdCommand::progress2, &command, [&](int percent, int) {
        if (percent == 95)
            command.cancel();
    });

    command.execute();

    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::Canceled));
    QCOMPARE(resultOf(command).destinationPath, QDir(pc_).filePath(QStringLiteral("Cut.WAV")));
    QVERIFY(exported().isEmpty());
}

void tst_RecordedAudioExportCommand::registrationReportsTheOverallPercentage() {
    // At the card's rate: only the level step runs (see the note on the
    // import's registration test).
    const QString source = cardFile(QStringLiteral("_REC0008.WV7"), recording(44100, 441));
    comm::KeyboardCommunicator communicator(
        comm::PortChoice::matching(QStringLiteral("no such port"), QStringLiteral("no such port")));
    QSignalSpy heavy(&communicator, &comm::KeyboardCommunicator::newHeavyCommandRegistered);
    CommandCaller caller;

    communicator.registerRecordedAudioExportCommand(source, QStringLiteral("Take 9"), pc_, -1,
                                                    QStringLiteral("Exporting \"Take 9\""),
                                                    caller.connections());
    QCOMPARE(heavy.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);

    QCOMPARE(caller.starts, (QList<QVariant>{QStringLiteral("Exporting \"Take 9\"")}));
    QCOMPARE(caller.finishes.constFirst().value<FileCopyCommandResult>(),
             (FileCopyCommandResult{0, source, QDir(pc_).filePath(QStringLiteral("Take 9.WAV"))}));
    QVERIFY(!caller.progress.isEmpty());
    for (const auto& [done, total] : caller.progress)
        QCOMPARE(total, 100);
    QCOMPARE(caller.progress.constLast(), qMakePair(100, 100));
}

QTEST_GUILESS_MAIN(tst_RecordedAudioExportCommand)
#include "tst_RecordedAudioExportCommand.moc"
