#include "CommandCaller.h"
#include "comm/AudioCommandWiring.h"
#include "comm/CommandControlSource.h"
#include "comm/CommandErrorCode.h"
#include "comm/CommandReplies.h"
#include "comm/FileCopyCommandResult.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/WaveFileCopyToSdCommand.h"

#include "audio/SamplingFormatConverter.h"
#include "audio/WaveConverter.h"
#include "audio/WaveHeader.h"
#include "file/CardAudioControlFile.h"
#include "file/FreeSpace.h"

#include "../audio/WaveImages.h"

#include "ProtectedPath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSharedPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using namespace zel::qmix;
using comm::CommandErrorCode;
using comm::FileCopyCommandResult;
using comm::WaveFileCopyToSdCommand;
using file::CardAudioControlFile;
using file::CardAudioEntry;

namespace {

constexpr int Patience = 30000;

// Samples of a slow saw wave, the same for every run.
std::vector<qint64> samples(qint64 count, int bits) {
    const qint64 top = (qint64(1) << (bits - 1)) - 1;
    std::vector<qint64> values(size_t(count), 0);
    for (qint64 i = 0; i < count; ++i)
        values[size_t(i)] = (i * 37 % 2001 - 1000) * top / 1500;
    return values;
}

QByteArray wav(quint32 rate, quint16 channels, quint16 bits, qint64 frames,
               const QByteArray& after = QByteArray()) {
    wave_images::Format format;
    format.rate = rate;
    format.channels = channels;
    format.bits = bits;
    const QByteArray data = wave_images::sampleBytes(samples(frames * channels, bits), bits);
    return wave_images::riff(wave_images::fmtChunk(format) + wave_images::chunk("data", data) +
                             after);
}

CardAudioEntry entry(const QString& base, int kind, const QString& name, qint32 size = 17640) {
    CardAudioEntry made;
    made.baseName = base;
    made.extension = QStringLiteral("WV7");
    made.kind = kind;
    made.dataSize = size;
    made.seconds = size / 4 / 44100;
    made.dataName = name.leftJustified(12, QLatin1Char(' '), true);
    return made;
}

// The permission bits of the file itself; what the current user may do
// depends on who that is (root may write anyway).
bool isProtected(const QString& path) {
    const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return (QFileInfo(path).permissions() & writable) == 0;
}

// Every file of the card's audio folder with its contents.
using Snapshot = QMap<QString, QByteArray>;

Snapshot snapshot(const QString& folder) {
    Snapshot files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, wave_images::readFile(dir.filePath(name)));
    return files;
}

struct ProgressStep {
    int phase;
    int percent;
};

// Records progress2 with the phase it was reported in, on the command's
// own thread.
QList<ProgressStep>* recordProgress(WaveFileCopyToSdCommand& command) {
    auto* steps = new QList<ProgressStep>;
    QObject::connect(&command, &WaveFileCopyToSdCommand::progress2, &command,
                     [steps, &command](int percent, int total) {
                         QCOMPARE(total, 100);
                         steps->append({command.phase(), percent});
                     });
    QObject::connect(&command, &QObject::destroyed, [steps] { delete steps; });
    return steps;
}

QList<int> phasesOf(const QList<ProgressStep>& steps) {
    QList<int> phases;
    for (const ProgressStep& step : steps) {
        if (phases.isEmpty() || phases.constLast() != step.phase)
            phases.append(step.phase);
    }
    return phases;
}

FileCopyCommandResult resultOf(const WaveFileCopyToSdCommand& command) {
    return command.result().value<FileCopyCommandResult>();
}

} // namespace

class tst_WaveFileCopyToSdCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void importsKeyboardFormatAsItIs();
    void importConvertsEveryProperty();
    void refusals_data();
    void refusals();
    void cardTooSmallForTheConvertedFileIsRefused();
    void tooLittleTemporaryRoomStopsBeforeConverting();
    void temporaryStorageFailureEndsWithWriteError();
    void cancelDuringDeliveryLeavesTheCardUnchanged();
    void cancelReachesARunningRateConversion();
    void replacesThePlayOnlyEntryAtItsPosition_data();
    void replacesThePlayOnlyEntryAtItsPosition();
    void failedSaveKeepsTheReplacedFile();
    void replacedNameOutsideTheFolderIsNotDeleted();
    void fullListTakesAReplacement();
    void sameBaseNamesGetNumberedDataNames();
    void dataNameFor_data();
    void dataNameFor();
    void readOnlySourceImports();
    void wiringRelaysCancelAndSuspendToTheConversion_data();
    void wiringRelaysCancelAndSuspendToTheConversion();
    void registrationReportsTheOverallPercentage_data();
    void registrationReportsTheOverallPercentage();

private:
    QString source(const QString& name, const QByteArray& bytes);
    void makeCard(const QList<CardAudioEntry>& entries, bool withFiles = true);
    CardAudioControlFile control() const;
    QStringList temporaries() const;

    QTemporaryDir root_;
    QString temporaryFolder_;
    QString pc_;
    QString card_;
};

void tst_WaveFileCopyToSdCommand::initTestCase() {
    QVERIFY(root_.isValid());
    // A temporary folder of our own, so that other tests running at the same
    // time do not count as our leftovers.
    temporaryFolder_ = root_.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temporaryFolder_));
    qputenv("TMPDIR", temporaryFolder_.toLocal8Bit());
    QCOMPARE(QDir::tempPath(), temporaryFolder_);
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
    audio::SamplingFormatConverter::setTraceEnabled(false);
}

void tst_WaveFileCopyToSdCommand::init() {
    static int round = 0;
    ++round;
    pc_ = root_.filePath(QStringLiteral("pc%1").arg(round));
    card_ = root_.filePath(QStringLiteral("card%1/MUSICDAT").arg(round));
    QVERIFY(QDir().mkpath(pc_));
    QVERIFY(QDir().mkpath(card_));
    makeCard({});
}

void tst_WaveFileCopyToSdCommand::cleanup() {
    file::FreeSpace::clearOverride();
    QVERIFY2(temporaries().isEmpty(), qPrintable(temporaries().join(' ')));
}

QString tst_WaveFileCopyToSdCommand::source(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(pc_).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    wave_images::writeFile(path, bytes);
    return path;
}

void tst_WaveFileCopyToSdCommand::makeCard(const QList<CardAudioEntry>& entries, bool withFiles) {
    CardAudioControlFile made;
    for (const CardAudioEntry& listed : entries) {
        made.append(listed);
        if (withFiles)
            wave_images::writeFile(QDir(card_).filePath(listed.fileName()), wav(44100, 2, 16, 10));
    }
    made.setTrailer(CardAudioControlFile::kTrailerCounted, 7);
    QByteArray bytes;
    made.toByteArray(bytes);
    wave_images::writeFile(QDir(card_).filePath(CardAudioControlFile::kFileName), bytes);
}

CardAudioControlFile tst_WaveFileCopyToSdCommand::control() const {
    CardAudioControlFile loaded;
    loaded.load(QDir(card_).filePath(CardAudioControlFile::kFileName));
    return loaded;
}

QStringList tst_WaveFileCopyToSdCommand::temporaries() const {
    return QDir(temporaryFolder_).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

void tst_WaveFileCopyToSdCommand::importsKeyboardFormatAsItIs() {
    // A chunk after the data must not reach the card behind the audio.
    const QByteArray original =
        wav(44100, 2, 16, 3000, wave_images::chunk("LIST", QByteArray(600, 'x')));
    const QString path = source(QStringLiteral("Piano.wav"), original);
    WaveFileCopyToSdCommand command(path, QDir(card_));
    const QList<ProgressStep>* steps = recordProgress(command);

    command.execute();

    const FileCopyCommandResult result = resultOf(command);
    QCOMPARE(result.errorCode, 0);
    QCOMPARE(result.sourcePath, path);
    QVERIFY(QRegularExpression(QStringLiteral("^_[0-9A-F]{7}\\.WV7$"))
                .match(command.cardFileName())
                .hasMatch());
    QCOMPARE(result.destinationPath, QDir(card_).filePath(command.cardFileName()));
    const QByteArray data = wave_images::sampleBytes(samples(6000, 16), 16);
    QCOMPARE(wave_images::readFile(result.destinationPath),
             audio::makeWaveHeader(quint32(data.size()), 44100, 16, 2) + data);
    QVERIFY(isProtected(result.destinationPath));
    QCOMPARE(phasesOf(*steps), (QList<int>{WaveFileCopyToSdCommand::CopyPhase,
                                           WaveFileCopyToSdCommand::DeliverPhase}));
    QCOMPARE(steps->constLast().percent, 100);

    const CardAudioControlFile after = control();
    QCOMPARE(after.count(), 1);
    const CardAudioEntry added = after.entries().constFirst();
    QCOMPARE(added.fileName(), command.cardFileName());
    QCOMPARE(added.kind, int(CardAudioEntry::PlayOnly44100));
    QCOMPARE(added.dataSize, qint32(data.size()));
    QCOMPARE(added.seconds, 0);
    QCOMPARE(added.dataName, QStringLiteral("Piano       "));
    QCOMPARE(after.trailerState(), int(CardAudioControlFile::kTrailerCounted));
    QCOMPARE(after.trailerCounter(), 7);
    QVERIFY(isProtected(QDir(card_).filePath(CardAudioControlFile::kFileName)));
}

void tst_WaveFileCopyToSdCommand::importConvertsEveryProperty() {
    const QString path = source(QStringLiteral("Voice.wav"), wav(48000, 1, 8, 4800));
    WaveFileCopyToSdCommand command(path, QDir(card_));
    const QList<ProgressStep>* steps = recordProgress(command);

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    const wave_images::Canonical written =
        wave_images::readCanonical(resultOf(command).destinationPath);
    QVERIFY(written.ok);
    QCOMPARE(written.rate, 44100u);
    QCOMPARE(written.channels, quint16(2));
    QCOMPARE(written.bits, quint16(16));
    QVERIFY(qAbs(qint64(written.dataSize / 4) - 4410) <= 1);

    // Each step in its turn, each in its own part of the overall percentage.
    QCOMPARE(phasesOf(*steps),
             (QList<int>{WaveFileCopyToSdCommand::CopyPhase, WaveFileCopyToSdCommand::StereoPhase,
                         WaveFileCopyToSdCommand::BitDepthPhase,
                         WaveFileCopyToSdCommand::SamplingRatePhase,
                         WaveFileCopyToSdCommand::DeliverPhase}));
    const QMap<int, QPair<int, int>> ranges = {
        {WaveFileCopyToSdCommand::CopyPhase, {0, 10}},
        {WaveFileCopyToSdCommand::StereoPhase, {10, 20}},
        {WaveFileCopyToSdCommand::BitDepthPhase, {20, 35}},
        {WaveFileCopyToSdCommand::SamplingRatePhase, {35, 85}},
        {WaveFileCopyToSdCommand::DeliverPhase, {85, 100}}};
    int previous = 0;
    for (const ProgressStep& step : *steps) {
        QVERIFY2(step.percent >= ranges[step.phase].first &&
                     step.percent <= ranges[step.phase].second,
                 qPrintable(QStringLiteral("%1 in phase %2").arg(step.percent).arg(step.phase)));
        QVERIFY(step.percent > previous || (step.percent == 0 && previous == 0));
        previous = step.percent;
    }
    QCOMPARE(steps->constLast().percent, 100);
    QCOMPARE(control().entries().constFirst().dataSize, qint32(written.dataSize));
}

enum class Refusal {
    Malformed,
    Missing,
    TooLong,
    Unconvertible,
    ClosedCard,
    NoControlFile,
    BadControlFile,
    FullList,
    CardFull,
};

void tst_WaveFileCopyToSdCommand::refusals_data() {
    QTest::addColumn<int>("refusal");
    QTest::addColumn<int>("expected");

    QTest::newRow("malformed WAV")
        << int(Refusal::Malformed) << int(CommandErrorCode::FileFormatError);
    QTest::newRow("missing WAV") << int(Refusal::Missing) << int(CommandErrorCode::FileReadError);
    QTest::newRow("6000 seconds") << int(Refusal::TooLong)
                                  << int(CommandErrorCode::FileFormatError);
    QTest::newRow("12-bit samples")
        << int(Refusal::Unconvertible) << int(CommandErrorCode::FileFormatError);
    QTest::newRow("card folder closed")
        << int(Refusal::ClosedCard) << int(CommandErrorCode::FileWriteError);
    QTest::newRow("no control file")
        << int(Refusal::NoControlFile) << int(CommandErrorCode::FileReadError);
    QTest::newRow("33-byte control file")
        << int(Refusal::BadControlFile) << int(CommandErrorCode::FileFormatError);
    QTest::newRow("999 entries") << int(Refusal::FullList) << int(CommandErrorCode::FileWriteError);
    QTest::newRow("card full") << int(Refusal::CardFull) << int(CommandErrorCode::FileWriteError);
}

void tst_WaveFileCopyToSdCommand::refusals() {
    QFETCH(int, refusal);
    QFETCH(int, expected);

    QString path = source(QStringLiteral("Song.wav"), wav(22050, 2, 16, 2205));
    std::unique_ptr<ProtectedPath> closed;
    switch (Refusal(refusal)) {
    case Refusal::Malformed:
        path = source(QStringLiteral("Bad.wav"), wav(22050, 2, 16, 100).left(60));
        break;
    case Refusal::Missing:
        path = QDir(pc_).filePath(QStringLiteral("Nowhere.wav"));
        break;
    case Refusal::TooLong:
        // 6000 frames at 1 Hz: 6000 seconds in a few kilobytes.
        path = source(QStringLiteral("Long.wav"), wav(1, 1, 8, 6000));
        break;
    case Refusal::Unconvertible:
        path = source(QStringLiteral("Odd.wav"), wav(22050, 2, 12, 100));
        break;
    case Refusal::ClosedCard:
        closed = std::make_unique<ProtectedPath>(card_);
        if (!closed->isEffective())
            QSKIP("the folder cannot be closed to new files here");
        break;
    case Refusal::NoControlFile:
        QFile::remove(QDir(card_).filePath(CardAudioControlFile::kFileName));
        break;
    case Refusal::BadControlFile:
        wave_images::writeFile(QDir(card_).filePath(CardAudioControlFile::kFileName),
                               QByteArray(33, '\0'));
        break;
    case Refusal::FullList: {
        QList<CardAudioEntry> entries;
        for (int i = 0; i < CardAudioControlFile::kMaxEntries; ++i)
            entries.append(entry(QStringLiteral("_%1").arg(i, 7, 10, QLatin1Char('0')),
                                 i % 2 ? CardAudioEntry::PlayOnly44100 : CardAudioEntry::Recordable,
                                 QStringLiteral("N%1").arg(i)));
        makeCard(entries, false);
        break;
    }
    case Refusal::CardFull:
        file::FreeSpace::setOverride(4 * 4410);
        break;
    }
    const Snapshot before = snapshot(card_);
    WaveFileCopyToSdCommand command(path, QDir(card_));
    QSignalSpy progress(&command, &WaveFileCopyToSdCommand::progress2);

    command.execute();

    QCOMPARE(resultOf(command).errorCode, expected);
    QCOMPARE(resultOf(command).sourcePath, path);
    QCOMPARE(snapshot(card_), before);
    // Every refusal but the conversion's own comes before anything is
    // converted.
    if (Refusal(refusal) != Refusal::Unconvertible)
        QVERIFY(progress.isEmpty());
}

void tst_WaveFileCopyToSdCommand::cardTooSmallForTheConvertedFileIsRefused() {
    // Two seconds at 8000 Hz: 64 kB as they are, over 350 kB at 44100 Hz.
    const QString path = source(QStringLiteral("Low.wav"), wav(8000, 2, 16, 16000));
    file::FreeSpace::setOverride(16000 * 4 + 44 + 1000);
    const Snapshot before = snapshot(card_);
    WaveFileCopyToSdCommand command(path, QDir(card_));

    command.execute();

    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::FileWriteError));
    QCOMPARE(snapshot(card_), before);

    file::FreeSpace::clearOverride();
    WaveFileCopyToSdCommand again(path, QDir(card_));
    again.execute();
    QCOMPARE(resultOf(again).errorCode, 0);
}

void tst_WaveFileCopyToSdCommand::tooLittleTemporaryRoomStopsBeforeConverting() {
    // The card takes the converted file, but the rate conversion needs far
    // more room for its work than that.
    const QString path = source(QStringLiteral("Rate.wav"), wav(48000, 2, 16, 4800));
    file::FreeSpace::setOverride(4411 * 4 + 44 + 100);
    const Snapshot before = snapshot(card_);
    WaveFileCopyToSdCommand command(path, QDir(card_));
    QSignalSpy progress(&command, &WaveFileCopyToSdCommand::progress2);

    command.execute();

    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::FileWriteError));
    QVERIFY(progress.isEmpty());
    QCOMPARE(snapshot(card_), before);
}

void tst_WaveFileCopyToSdCommand::temporaryStorageFailureEndsWithWriteError() {
    // The mono file fits, its stereo version does not.
    const QString path = source(QStringLiteral("Mono.wav"), wav(44100, 1, 16, 50000));
    const Snapshot before = snapshot(card_);
    WaveFileCopyToSdCommand command(path, QDir(card_));
    {
        wave_images::FileSizeLimit limit(150000);
        QVERIFY(limit.isActive());
        command.execute();
    }

    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::FileWriteError));
    QCOMPARE(snapshot(card_), before);
    QVERIFY(temporaries().isEmpty());
}

void tst_WaveFileCopyToSdCommand::cancelDuringDeliveryLeavesTheCardUnchanged() {
    makeCard(
        {entry(QStringLiteral("_OLD0001"), CardAudioEntry::PlayOnly44100, QStringLiteral("Old"))});
    // Three delivery blocks, so that the cancel comes in the middle.
    const QString path = source(QStringLiteral("Big.wav"), wav(44100, 2, 16, 70000));
    const Snapshot before = snapshot(card_);
    WaveFileCopyToSdCommand command(path, QDir(card_));
    qint64 deliveredWhenCancelled = -1;
    connect(&command, &WaveFileCopyToSdCommand::progress2, &command, [&](int, int) {
        if (command.phase() == WaveFileCopyToSdCommand::DeliverPhase &&
            deliveredWhenCancelled < 0) {
            deliveredWhenCancelled = QFileInfo(command.destinationPath()).size();
            command.cancel();
        }
    });

    command.execute();

    QCOMPARE(deliveredWhenCancelled, 0);
    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::Canceled));
    QVERIFY(!QFileInfo::exists(resultOf(command).destinationPath));
    QCOMPARE(snapshot(card_), before);
}

void tst_WaveFileCopyToSdCommand::cancelReachesARunningRateConversion() {
    const QString path = source(QStringLiteral("Rate.wav"), wav(48000, 2, 16, 48000));
    const Snapshot before = snapshot(card_);
    WaveFileCopyToSdCommand command(path, QDir(card_));
    const QList<ProgressStep>* steps = recordProgress(command);
    connect(&command, &WaveFileCopyToSdCommand::progress2, &command, [&](int, int) {
        if (command.phase() == WaveFileCopyToSdCommand::SamplingRatePhase)
            command.cancel();
    });

    command.execute();

    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::Canceled));
    // Stopped inside the conversion, not after it.
    QVERIFY(steps->constLast().phase == WaveFileCopyToSdCommand::SamplingRatePhase);
    QVERIFY(steps->constLast().percent < 85);
    QCOMPARE(snapshot(card_), before);
}

void tst_WaveFileCopyToSdCommand::replacesThePlayOnlyEntryAtItsPosition_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<QString>("gone");

    QTest::newRow("first play-only") << 0 << 1 << "_PLAYA01.WV7";
    QTest::newRow("second play-only") << 1 << 3 << "_PLAYB01.WV7";
    QTest::newRow("no such entry: appended") << 2 << 4 << "";
}

void tst_WaveFileCopyToSdCommand::replacesThePlayOnlyEntryAtItsPosition() {
    QFETCH(int, position);
    QFETCH(int, listIndex);
    QFETCH(QString, gone);

    const QList<CardAudioEntry> entries = {
        entry(QStringLiteral("_REC0001"), CardAudioEntry::Recordable, QStringLiteral("Take 1")),
        entry(QStringLiteral("_PLAYA01"), CardAudioEntry::PlayOnly44100, QStringLiteral("A")),
        entry(QStringLiteral("_REC0002"), CardAudioEntry::Recordable, QStringLiteral("Take 2")),
        entry(QStringLiteral("_PLAYB01"), CardAudioEntry::PlayOnly42819, QStringLiteral("B"))};
    makeCard(entries);
    const QString path = source(QStringLiteral("New.wav"), wav(44100, 2, 16, 441));
    WaveFileCopyToSdCommand command(path, QDir(card_), position);

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    QList<CardAudioEntry> expected = entries;
    CardAudioEntry added = entry(QFileInfo(command.cardFileName()).completeBaseName(),
                                 CardAudioEntry::PlayOnly44100, QStringLiteral("New"), 441 * 4);
    added.seconds = 0;
    if (listIndex < expected.size())
        expected[listIndex] = added;
    else
        expected.append(added);
    QCOMPARE(control().entries(), expected);
    for (const CardAudioEntry& kept : entries) {
        const bool replaced = kept.fileName() == gone;
        QCOMPARE(QFileInfo::exists(QDir(card_).filePath(kept.fileName())), !replaced);
    }
    QVERIFY(QFileInfo::exists(QDir(card_).filePath(command.cardFileName())));
}

void tst_WaveFileCopyToSdCommand::failedSaveKeepsTheReplacedFile() {
    makeCard(
        {entry(QStringLiteral("_PLAYA01"), CardAudioEntry::PlayOnly44100, QStringLiteral("A"))});
    const QString path = source(QStringLiteral("New.wav"), wav(44100, 2, 16, 441));
    const Snapshot before = snapshot(card_);
    WaveFileCopyToSdCommand command(path, QDir(card_), 0);
    // The card fills up while the new file is copied: the list can no
    // longer be saved.
    connect(&command, &WaveFileCopyToSdCommand::progress2, &command, [&](int, int) {
        if (command.phase() == WaveFileCopyToSdCommand::DeliverPhase)
            file::FreeSpace::setOverride(0);
    });

    command.execute();

    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::FileWriteError));
    QCOMPARE(snapshot(card_), before);
}

void tst_WaveFileCopyToSdCommand::replacedNameOutsideTheFolderIsNotDeleted() {
    // The control file comes from the card; a name in it that leads out of
    // the audio folder must not make the import delete a file elsewhere.
    const QString outside = QDir(card_).filePath(QStringLiteral("../vict.WV7"));
    QVERIFY(wave_images::writeFile(outside, "keep me"));
    makeCard(
        {entry(QStringLiteral("../vict"), CardAudioEntry::PlayOnly44100, QStringLiteral("Odd"))},
        false);
    const QString path = source(QStringLiteral("New.wav"), wav(44100, 2, 16, 441));
    WaveFileCopyToSdCommand command(path, QDir(card_), 0);

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    QCOMPARE(control().count(), 1);
    QCOMPARE(control().entries().constFirst().fileName(), command.cardFileName());
    QCOMPARE(wave_images::readFile(outside), QByteArray("keep me"));
}

void tst_WaveFileCopyToSdCommand::fullListTakesAReplacement() {
    QList<CardAudioEntry> entries;
    for (int i = 0; i < CardAudioControlFile::kMaxEntries; ++i)
        entries.append(entry(QStringLiteral("_%1").arg(i, 7, 10, QLatin1Char('0')),
                             CardAudioEntry::PlayOnly44100, QStringLiteral("N%1").arg(i)));
    makeCard(entries, false);
    const QString path = source(QStringLiteral("New.wav"), wav(44100, 2, 16, 441));
    WaveFileCopyToSdCommand command(path, QDir(card_), 5);

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    const CardAudioControlFile after = control();
    QCOMPARE(after.count(), CardAudioControlFile::kMaxEntries);
    QCOMPARE(after.entries().at(5).fileName(), command.cardFileName());
}

void tst_WaveFileCopyToSdCommand::sameBaseNamesGetNumberedDataNames() {
    const QString first = source(QStringLiteral("one/Name.wav"), wav(44100, 2, 16, 441));
    const QString second = source(QStringLiteral("two/Name.wav"), wav(44100, 2, 16, 441));
    WaveFileCopyToSdCommand importFirst(first, QDir(card_));
    importFirst.execute();
    WaveFileCopyToSdCommand importSecond(second, QDir(card_));
    importSecond.execute();

    QCOMPARE(resultOf(importFirst).errorCode, 0);
    QCOMPARE(resultOf(importSecond).errorCode, 0);
    const QByteArray bytes =
        wave_images::readFile(QDir(card_).filePath(CardAudioControlFile::kFileName));
    QCOMPARE(bytes.size(), 3 * 32);
    QCOMPARE(bytes.mid(20, 12), QByteArray("Name        "));
    QCOMPARE(bytes.mid(32 + 20, 12), QByteArray("Name(2)     "));
}

void tst_WaveFileCopyToSdCommand::dataNameFor_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("short") << "/pc/Piano.wav"
                           << "Piano       ";
    QTest::newRow("exactly 12") << "/pc/LongNameHere.wav"
                                << "LongNameHere";
    QTest::newRow("cut") << "/pc/A very long name here.wav"
                         << "A very long ";
    QTest::newRow("first dot ends it") << "/pc/Take.1.final.wav"
                                       << "Take        ";
    QTest::newRow("not ASCII") << QStringLiteral("/pc/F\u00fcr Elise.wav") << "F_r Elise   ";
    QTest::newRow("control character") << QStringLiteral("/pc/a\tb.wav") << "a_b         ";
    QTest::newRow("nothing before the dot") << "/pc/.wav"
                                            << "            ";
}

void tst_WaveFileCopyToSdCommand::dataNameFor() {
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(WaveFileCopyToSdCommand::dataNameFor(path), expected);
}

void tst_WaveFileCopyToSdCommand::readOnlySourceImports() {
    const QString path = source(QStringLiteral("Locked.wav"), wav(22050, 1, 16, 2205));
    ProtectedPath locked(path);
    if (!locked.isEffective())
        QSKIP("the file cannot be write-protected here");
    WaveFileCopyToSdCommand command(path, QDir(card_));

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    QCOMPARE(control().count(), 1);
}

void tst_WaveFileCopyToSdCommand::wiringRelaysCancelAndSuspendToTheConversion_data() {
    QTest::addColumn<bool>("checked");
    QTest::newRow("by signature") << false;
    QTest::newRow("by member pointer") << true;
}

void tst_WaveFileCopyToSdCommand::wiringRelaysCancelAndSuspendToTheConversion() {
    QFETCH(bool, checked);
    const auto command = QSharedPointer<WaveFileCopyToSdCommand>::create(
        source(QStringLiteral("x.wav"), wav(44100, 2, 16, 10)), QDir(card_));
    CommandCaller caller;
    QObject relayOwner;
    comm::AudioCommandWiring::connectWaveCommand(command, caller.connections(checked), &relayOwner);

    emit caller.suspendChanged(true);
    QVERIFY(command->isSuspended());
    QVERIFY(command->converter()->isSuspended());
    emit caller.suspendChanged(false);
    QVERIFY(!command->isSuspended());
    QVERIFY(!command->converter()->isSuspended());
    QVERIFY(!command->converter()->isCanceled());
    emit caller.cancelPressed();
    QVERIFY(command->isCanceled());
    QVERIFY(command->converter()->isCanceled());
}

void tst_WaveFileCopyToSdCommand::registrationReportsTheOverallPercentage_data() {
    wiringRelaysCancelAndSuspendToTheConversion_data();
}

void tst_WaveFileCopyToSdCommand::registrationReportsTheOverallPercentage() {
    QFETCH(bool, checked);
    // Already in the keyboard's format: the steps themselves are tested on
    // this thread above; here the reports cross threads, and a thread
    // checker loses track of them behind a long conversion.
    const QString path = source(QStringLiteral("Reg.wav"), wav(44100, 2, 16, 441));
    comm::KeyboardCommunicator communicator(
        comm::PortChoice::matching(QStringLiteral("no such port"), QStringLiteral("no such port")));
    QSignalSpy heavy(&communicator, &comm::KeyboardCommunicator::newHeavyCommandRegistered);
    CommandCaller caller;

    communicator.registerWaveFileCopyToSdCommand(path, card_, WaveFileCopyToSdCommand::NoReplace,
                                                 -1, QStringLiteral("Importing \"Reg.wav\""),
                                                 caller.connections(checked));
    QCOMPARE(heavy.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);

    QCOMPARE(caller.starts, (QList<QVariant>{QStringLiteral("Importing \"Reg.wav\"")}));
    const FileCopyCommandResult result =
        caller.finishes.constFirst().value<FileCopyCommandResult>();
    QCOMPARE(result.errorCode, 0);
    QCOMPARE(result.sourcePath, path);
    QCOMPARE(QFileInfo(result.destinationPath).absolutePath(), QDir(card_).absolutePath());
    QVERIFY(!caller.progress.isEmpty());
    int previous = -1;
    for (const auto& [done, total] : caller.progress) {
        QCOMPARE(total, 100);
        QVERIFY(done > previous);
        previous = done;
    }
    QCOMPARE(caller.progress.constLast(), qMakePair(100, 100));
}

QTEST_GUILESS_MAIN(tst_WaveFileCopyToSdCommand)
#include "tst_WaveFileCopyToSdCommand.moc"
