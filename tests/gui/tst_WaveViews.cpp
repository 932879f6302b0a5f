#include "app/MessageDialog.h"
#include "comm/CommandErrorCode.h"
#include "comm/FileCopyCommandResult.h"
#include "comm/KeyboardCommunicator.h"
#include "data/MimeData.h"
#include "etc/Settings.h"
#include "file/CardAudioControlFile.h"
#include "file/CardAudioEntry.h"
#include "gui/SdDirSelectToolButton.h"
#include "gui/WaveFileTreeView.h"
#include "gui/Wv7FileTreeView.h"
#include "tests/audio/WaveImages.h"
#include "tests/support/ViewDrop.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace zel::qmix;
using comm::CommandErrorCode;
using comm::FileCopyCommandResult;
using file::CardAudioEntry;
using gui::AbstractWaveFileTreeView;
using gui::SdDirSelectToolButton;
using testsupport::ViewDrop;

namespace {

constexpr int Patience = 30000;

// The two PC lists, with their protected drag start reachable.
class WaveList : public gui::WaveFileTreeView {
public:
    using WaveFileTreeView::startDrag;
};
class Wv7List : public gui::Wv7FileTreeView {
public:
    using Wv7FileTreeView::startDrag;
};

// The file commands talk to no keyboard. Made after the list it serves, the
// communicator goes first, so that, as in the window, the work has ended
// before the list goes: a list dying while the commands it listens to die on
// the communication thread would race.
std::unique_ptr<comm::KeyboardCommunicator> fileCommunicator() {
    return std::make_unique<comm::KeyboardCommunicator>(
        comm::PortChoice::matching(QStringLiteral("no such port"), QStringLiteral("no such port")));
}

std::unique_ptr<AbstractWaveFileTreeView> makeList(const QString& which, const QString& folder) {
    if (which == QLatin1String("wav"))
        return std::make_unique<WaveList>();
    auto list = std::make_unique<Wv7List>();
    list->setListedDirectory(QDir(folder));
    return list;
}

// A saw wave of `frames` stereo frames that peaks at `peak`.
QByteArray cardAudio(quint32 rate, int frames, qint64 peak = 1000, quint16 channels = 2) {
    wave_images::Format format;
    format.rate = rate;
    format.channels = channels;
    std::vector<qint64> samples(size_t(frames) * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = qint64(i % 201) * peak / 100 - peak;
    return wave_images::riff(wave_images::fmtChunk(format) +
                             wave_images::chunk("data", wave_images::sampleBytes(samples, 16)));
}

CardAudioEntry entryOf(const QString& baseName, int kind, const QString& dataName) {
    CardAudioEntry entry;
    entry.baseName = baseName;
    entry.extension = QStringLiteral("WV7");
    entry.kind = kind;
    entry.dataSize = 4000;
    entry.dataName = dataName.leftJustified(CardAudioEntry::kMaxDataNameLength, QLatin1Char(' '));
    return entry;
}

// What a card list puts on a drag: the entries and, in the same order, the
// paths of their card files.
std::unique_ptr<data::MimeData> cardDrag(const QList<CardAudioEntry>& entries,
                                         const QStringList& paths, bool fromPlayOnly) {
    auto drag = std::make_unique<data::MimeData>();
    QVariantList values;
    for (const CardAudioEntry& entry : entries)
        values.append(QVariant::fromValue(entry));
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    drag->setEntries(values);
    drag->setUrls(urls);
    drag->setFromPlayOnlyList(fromPlayOnly);
    drag->setDeletable(fromPlayOnly);
    return drag;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList shownNames(const QAbstractItemView& view) {
    QStringList names;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        names.append(view.model()->index(row, 0).data().toString());
    names.sort();
    return names;
}

QString shownSize(const QAbstractItemView& view, const QString& name) {
    for (int row = 0; row < view.model()->rowCount(); ++row) {
        if (view.model()->index(row, 0).data().toString() == name)
            return view.model()->index(row, 1).data().toString();
    }
    return QString();
}

qint64 peakOf(const std::vector<qint64>& samples) {
    qint64 peak = 0;
    for (qint64 sample : samples)
        peak = std::max(peak, qAbs(sample));
    return peak;
}

// Stands in for the drive list of the system.
class FixedDrives : public SdDirSelectToolButton {
public:
    QList<Volume> drives;
    QString folderAnswer;
    int folderQuestions = 0;

    QStringList menuTexts() const {
        QStringList texts;
        for (QAction* action : menu()->actions()) {
            if (!action->isSeparator())
                texts.append(action->text());
        }
        return texts;
    }
    bool trigger(const QString& text) {
        for (QAction* action : menu()->actions()) {
            if (action->text() == text) {
                action->trigger();
                return true;
            }
        }
        return false;
    }

protected:
    QList<Volume> volumes() const override { return drives; }
    QString askFolder() override {
        ++folderQuestions;
        return folderAnswer;
    }
};

} // namespace

class tst_WaveViews : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listsItsOwnKindOfFile_data();
    void listsItsOwnKindOfFile();
    void cardFilesInACardFolderAreNotListed_data();
    void cardFilesInACardFolderAreNotListed();
    void sizesAreShownInMegabytes();

    void cardEntriesByKind_data();
    void cardEntriesByKind();
    void recordingIsExportedWithItsLevelRaised();
    void unusableCardFiles_data();
    void unusableCardFiles();
    void oneBadFileDoesNotStopTheOthers();
    void filesFromOutsideAreStillCopied();
    void finishReplies_data();
    void finishReplies();
    void dragIsAnnounced();

    void drivesAmongMountedVolumes_data();
    void drivesAmongMountedVolumes();
    void choosingADrive_data();
    void choosingADrive();
    void nothingFoundOffersOtherFolder();
    void storedPlaceThatIsGoneSelectsNothing();
    void otherFolderIsChosenAndFoundAgain();
    void reloadFollowsTheCard();

private:
    QString cardFile(const QString& baseName, const QByteArray& bytes) const;
    void writeControlFile(const QList<CardAudioEntry>& entries) const;

    std::unique_ptr<QTemporaryDir> work_;
    QString wave_;
    QString other_;
    QString card_;
    QString audioFolder_;
};

void tst_WaveViews::initTestCase() {
    gui::MessageDialog::create();
    qRegisterMetaType<CommandErrorCode::T>();
}

void tst_WaveViews::init() {
    work_ = std::make_unique<QTemporaryDir>();
    QVERIFY(work_->isValid());
    wave_ = work_->filePath(QStringLiteral("wave"));
    other_ = work_->filePath(QStringLiteral("wv7"));
    card_ = work_->filePath(QStringLiteral("card"));
    audioFolder_ = QDir(card_).filePath(QLatin1String(file::CardAudioControlFile::kFolderName));
    QVERIFY(QDir().mkpath(wave_));
    QVERIFY(QDir().mkpath(other_));
    QVERIFY(QDir().mkpath(audioFolder_));
    etc::Settings::instance()->setWaveDataDirectory(wave_);
}

void tst_WaveViews::cleanup() {
    work_.reset();
}

QString tst_WaveViews::cardFile(const QString& baseName, const QByteArray& bytes) const {
    const QString path = QDir(audioFolder_).filePath(baseName + QStringLiteral(".WV7"));
    if (!wave_images::writeFile(path, bytes))
        return QString();
    return path;
}

void tst_WaveViews::writeControlFile(const QList<CardAudioEntry>& entries) const {
    file::CardAudioControlFile control;
    for (const CardAudioEntry& entry : entries)
        control.append(entry);
    QCOMPARE(control.save(
                 QDir(audioFolder_).filePath(QLatin1String(file::CardAudioControlFile::kFileName))),
             int(file::FileOk));
}

// ---------------------------------------------------------------- listing

void tst_WaveViews::listsItsOwnKindOfFile_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("WAV list") << "wav" << QStringList{"B.WAV", "a.wav", "c.Wav"};
    QTest::newRow("WV7 list") << "wv7" << QStringList{"D.WV7", "e.wv7"};
}

void tst_WaveViews::listsItsOwnKindOfFile() {
    QFETCH(QString, which);
    QFETCH(QStringList, expected);
    const QString folder = which == QLatin1String("wav") ? wave_ : other_;
    for (const char* name : {"a.wav", "B.WAV", "c.Wav", "D.WV7", "e.wv7", "f.txt", "wav"})
        QVERIFY(wave_images::writeFile(QDir(folder).filePath(QLatin1String(name)), "RIFF"));
    QVERIFY(QDir(folder).mkdir(QStringLiteral("g.wav")));

    auto list = makeList(which, other_);
    list->reload();

    QCOMPARE(shownNames(*list), expected);
    QCOMPARE(list->listedDirectory().absolutePath(), QDir(folder).absolutePath());
}

void tst_WaveViews::cardFilesInACardFolderAreNotListed_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<bool>("withControlFile");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("WV7 list, card folder") << "wv7" << true << QStringList{"_LOOSE.WV7"};
    QTest::newRow("WV7 list, no control file")
        << "wv7" << false << QStringList{"_LOOSE.WV7", "_PLAY001.WV7", "_REC0001.WV7"};
    QTest::newRow("WAV list, card folder") << "wav" << true << QStringList{"mine.wav"};
}

void tst_WaveViews::cardFilesInACardFolderAreNotListed() {
    QFETCH(QString, which);
    QFETCH(bool, withControlFile);
    QFETCH(QStringList, expected);
    for (const char* name : {"_REC0001.WV7", "_PLAY001.WV7", "_LOOSE.WV7", "mine.wav"})
        QVERIFY(wave_images::writeFile(QDir(audioFolder_).filePath(QLatin1String(name)), "x"));
    CardAudioEntry listedWave =
        entryOf(QStringLiteral("_WAVE"), CardAudioEntry::PlayOnly44100, QStringLiteral("Wave"));
    listedWave.extension = QStringLiteral("wav");
    QVERIFY(wave_images::writeFile(QDir(audioFolder_).filePath(QStringLiteral("_WAVE.WAV")), "x"));
    if (withControlFile)
        writeControlFile({entryOf(QStringLiteral("_REC0001"), CardAudioEntry::Recordable,
                                  QStringLiteral("Take 1")),
                          entryOf(QStringLiteral("_play001"), CardAudioEntry::PlayOnly44100,
                                  QStringLiteral("Song")),
                          listedWave});
    etc::Settings::instance()->setWaveDataDirectory(audioFolder_);

    auto list = makeList(which, audioFolder_);
    list->reload();

    QCOMPARE(shownNames(*list), expected);
}

void tst_WaveViews::sizesAreShownInMegabytes() {
    const QList<QPair<QString, qint64>> files = {{QStringLiteral("small.wav"), 300 * 1000},
                                                 {QStringLiteral("large.wav"), 5500000},
                                                 {QStringLiteral("empty.wav"), 0}};
    for (const auto& [name, size] : files) {
        QFile file(QDir(wave_).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
    }

    WaveList list;
    list.reload();

    QCOMPARE(shownSize(list, QStringLiteral("small.wav")), QStringLiteral("1 MB"));
    QCOMPARE(shownSize(list, QStringLiteral("large.wav")), QStringLiteral("5 MB"));
    QCOMPARE(shownSize(list, QStringLiteral("empty.wav")), QStringLiteral("0 MB"));
    // Still sorted by bytes, not by the rounded text.
    list.sortByColumn(gui::LocalTreeView::SizeColumn, Qt::AscendingOrder);
    QCOMPARE(list.model()->index(0, 0).data().toString(), QStringLiteral("empty.wav"));
    QCOMPARE(list.model()->index(1, 0).data().toString(), QStringLiteral("small.wav"));
}

// ------------------------------------------------------------ card drops

void tst_WaveViews::cardEntriesByKind_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<int>("kind");
    QTest::addColumn<quint32>("rate");
    // "" when the entry is not taken.
    QTest::addColumn<QString>("expectedFile");
    QTest::addColumn<bool>("plainCopy");

    QTest::newRow("WAV list, recording")
        << "wav" << int(CardAudioEntry::Recordable) << 44100u << "Take 1.WAV" << false;
    QTest::newRow("WAV list, play-only 44100 Hz")
        << "wav" << int(CardAudioEntry::PlayOnly44100) << 44100u << "Take 1.wav" << true;
    QTest::newRow("WAV list, play-only 42819 Hz")
        << "wav" << int(CardAudioEntry::PlayOnly42819) << 42819u << "" << false;
    QTest::newRow("WV7 list, recording")
        << "wv7" << int(CardAudioEntry::Recordable) << 44100u << "Take 1.wv7" << true;
    QTest::newRow("WV7 list, play-only 42819 Hz")
        << "wv7" << int(CardAudioEntry::PlayOnly42819) << 42819u << "Take 1.wv7" << true;
    QTest::newRow("WV7 list, play-only 44100 Hz")
        << "wv7" << int(CardAudioEntry::PlayOnly44100) << 44100u << "" << false;
}

void tst_WaveViews::cardEntriesByKind() {
    QFETCH(QString, which);
    QFETCH(int, kind);
    QFETCH(quint32, rate);
    QFETCH(QString, expectedFile);
    QFETCH(bool, plainCopy);
    // The card keeps something after the audio that is not part of it.
    const QByteArray audio = cardAudio(rate, 1000);
    const QByteArray bytes = audio + QByteArray(64, 'j');
    const QString source = cardFile(QStringLiteral("_A1B2C3D"), bytes);
    const QString target = which == QLatin1String("wav") ? wave_ : other_;
    auto list = makeList(which, other_);
    const auto communicator = fileCommunicator();
    list->setCommunicator(communicator.get());
    QSignalSpy registered(list.get(), &AbstractWaveFileTreeView::newCommandRegistered);
    QSignalSpy started(list.get(), &AbstractWaveFileTreeView::commandStarted);
    QSignalSpy finished(list.get(), &AbstractWaveFileTreeView::commandFinished);
    QSignalSpy errors(list.get(), &AbstractWaveFileTreeView::notifyError);
    const auto drag =
        cardDrag({entryOf(QStringLiteral("_A1B2C3D"), kind, QStringLiteral("Take 1"))}, {source},
                 kind != CardAudioEntry::Recordable);

    const bool taken = ViewDrop::dragAndDrop(list->viewport(), drag.get());

    QCOMPARE(taken, !expectedFile.isEmpty());
    if (expectedFile.isEmpty()) {
        QCoreApplication::processEvents();
        QCOMPARE(registered.count(), 0);
        QVERIFY(filesIn(target).isEmpty());
        return;
    }
    QCOMPARE(registered.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, Patience);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toString(), QStringLiteral("Exporting \"Take 1\""));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).value<CommandErrorCode::T>(), CommandErrorCode::NoError);
    QCOMPARE(filesIn(target), QStringList{expectedFile});
    const QByteArray written = wave_images::readFile(QDir(target).filePath(expectedFile));
    if (plainCopy)
        QCOMPARE(written, audio);
    else
        QVERIFY(wave_images::readCanonical(QDir(target).filePath(expectedFile)).ok);
    // The card is only read.
    QCOMPARE(wave_images::readFile(source), bytes);
}

void tst_WaveViews::recordingIsExportedWithItsLevelRaised() {
    const QString source = cardFile(QStringLiteral("_REC0001"), cardAudio(42819, 4000, 1000));
    WaveList list;
    const auto communicator = fileCommunicator();
    list.setCommunicator(communicator.get());
    QSignalSpy finished(&list, &AbstractWaveFileTreeView::commandFinished);
    QSignalSpy reloads(&list, &AbstractWaveFileTreeView::allReloadRequired);
    const auto drag = cardDrag(
        {entryOf(QStringLiteral("_REC0001"), CardAudioEntry::Recordable, QStringLiteral("Take 1"))},
        {source}, false);
    QVERIFY(wave_images::writeFile(QDir(wave_).filePath(QStringLiteral("Take 1.WAV")), "mine"));

    QVERIFY(ViewDrop::dragAndDrop(list.viewport(), drag.get()));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, Patience);

    const FileCopyCommandResult result = finished.at(0).at(0).value<FileCopyCommandResult>();
    QCOMPARE(result.errorCode, int(CommandErrorCode::NoError));
    QCOMPARE(QFileInfo(result.destinationPath).fileName(), QStringLiteral("Take 1(2).WAV"));
    QCOMPARE(reloads.count(), 1);
    const wave_images::Canonical exported = wave_images::readCanonical(result.destinationPath);
    QVERIFY(exported.ok);
    QCOMPARE(exported.rate, 44100u);
    QCOMPARE(exported.channels, quint16(2));
    QCOMPARE(exported.bits, quint16(16));
    QVERIFY2(peakOf(exported.samples) > 3000, "the level is raised");
    QCOMPARE(wave_images::readFile(QDir(wave_).filePath(QStringLiteral("Take 1.WAV"))),
             QByteArray("mine"));
}

void tst_WaveViews::unusableCardFiles_data() {
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<int>("expectedError");

    for (const char* which : {"wav", "wv7"}) {
        QTest::addRow("%s: card folder gone", which)
            << which << "folder gone" << int(CommandErrorCode::FileReadError);
        QTest::addRow("%s: card file gone", which)
            << which << "file gone" << int(CommandErrorCode::FileReadError);
        QTest::addRow("%s: path of no card", which)
            << which << "relative path" << int(CommandErrorCode::FileReadError);
        QTest::addRow("%s: not a WAV file", which)
            << which << "malformed" << int(CommandErrorCode::FileFormatError);
        QTest::addRow("%s: mono", which)
            << which << "mono" << int(CommandErrorCode::FileFormatError);
    }
}

void tst_WaveViews::unusableCardFiles() {
    QFETCH(QString, which);
    QFETCH(QString, trouble);
    QFETCH(int, expectedError);
    QString source = cardFile(QStringLiteral("_REC0001"), cardAudio(44100, 1000));
    // Where the program runs holds a card folder of the same name: a path
    // that is not absolute must not reach it.
    const QString runFolder = work_->filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(QDir(runFolder).filePath(QStringLiteral("MUSICDAT"))));
    QVERIFY(wave_images::writeFile(
        QDir(runFolder).filePath(QStringLiteral("MUSICDAT/_REC0001.WV7")), cardAudio(44100, 1000)));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(runFolder));
    if (trouble == QLatin1String("folder gone"))
        QVERIFY(QDir(card_).removeRecursively());
    else if (trouble == QLatin1String("file gone"))
        QVERIFY(QFile::remove(source));
    else if (trouble == QLatin1String("relative path"))
        source = QStringLiteral("MUSICDAT/_REC0001.WV7");
    else if (trouble == QLatin1String("malformed"))
        QVERIFY(wave_images::writeFile(source, QByteArray(200, 'x')));
    else
        QVERIFY(wave_images::writeFile(source, cardAudio(44100, 1000, 1000, 1)));
    auto list = makeList(which, other_);
    const auto communicator = fileCommunicator();
    list->setCommunicator(communicator.get());
    QSignalSpy registered(list.get(), &AbstractWaveFileTreeView::newCommandRegistered);
    QSignalSpy errors(list.get(), &AbstractWaveFileTreeView::notifyError);
    QSignalSpy reloads(list.get(), &AbstractWaveFileTreeView::allReloadRequired);
    const auto drag = cardDrag(
        {entryOf(QStringLiteral("_REC0001"), CardAudioEntry::Recordable, QStringLiteral("Take 1"))},
        {source}, false);

    const bool dropped = ViewDrop::dragAndDrop(list->viewport(), drag.get());
    QCoreApplication::processEvents();
    QDir::setCurrent(previous);

    QVERIFY(dropped);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(int(errors.at(0).at(0).value<CommandErrorCode::T>()), expectedError);
    QCOMPARE(errors.at(0).at(1).toString(), QString());
    QCOMPARE(reloads.count(), 1);
    QCOMPARE(registered.count(), 0);
    QVERIFY(filesIn(wave_).isEmpty());
    QVERIFY(filesIn(other_).isEmpty());
    QCOMPARE(filesIn(runFolder), QStringList());
}

void tst_WaveViews::oneBadFileDoesNotStopTheOthers() {
    const QString good1 = cardFile(QStringLiteral("_PLAY001"), cardAudio(44100, 500));
    const QString bad = cardFile(QStringLiteral("_PLAY002"), QByteArray(100, 'x'));
    const QString good2 = cardFile(QStringLiteral("_PLAY003"), cardAudio(44100, 700));
    const QString skipped = cardFile(QStringLiteral("_PLAY004"), cardAudio(42819, 700));
    WaveList list;
    const auto communicator = fileCommunicator();
    list.setCommunicator(communicator.get());
    QSignalSpy registered(&list, &AbstractWaveFileTreeView::newCommandRegistered);
    QSignalSpy started(&list, &AbstractWaveFileTreeView::commandStarted);
    QSignalSpy finished(&list, &AbstractWaveFileTreeView::commandFinished);
    QSignalSpy errors(&list, &AbstractWaveFileTreeView::notifyError);
    const auto drag = cardDrag(
        {entryOf(QStringLiteral("_PLAY001"), CardAudioEntry::PlayOnly44100, QStringLiteral("One")),
         entryOf(QStringLiteral("_PLAY002"), CardAudioEntry::PlayOnly44100, QStringLiteral("Two")),
         entryOf(QStringLiteral("_PLAY003"), CardAudioEntry::PlayOnly44100,
                 QStringLiteral("Three")),
         entryOf(QStringLiteral("_PLAY004"), CardAudioEntry::PlayOnly42819,
                 QStringLiteral("Four"))},
        {good1, bad, good2, skipped}, true);

    QVERIFY(ViewDrop::dragAndDrop(list.viewport(), drag.get()));
    QCOMPARE(registered.count(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, Patience);

    QCOMPARE(filesIn(wave_), (QStringList{"One.wav", "Three.wav"}));
    QStringList titles;
    for (const QList<QVariant>& start : started)
        titles.append(start.at(0).toString());
    QCOMPARE(titles, (QStringList{"Exporting \"One\"", "Exporting \"Three\""}));
    QCOMPARE(errors.at(0).at(0).value<CommandErrorCode::T>(), CommandErrorCode::FileFormatError);
}

void tst_WaveViews::filesFromOutsideAreStillCopied() {
    const QString outside = work_->filePath(QStringLiteral("Loop.wav"));
    QVERIFY(wave_images::writeFile(outside, cardAudio(48000, 100)));
    WaveList list;
    QSignalSpy registered(&list, &AbstractWaveFileTreeView::newCommandRegistered);

    QVERIFY(ViewDrop::dropFilesOnRow(&list, {QUrl::fromLocalFile(outside)}, 0));

    QCOMPARE(filesIn(wave_), QStringList{"Loop.wav"});
    QCOMPARE(registered.count(), 0);
    QCOMPARE(shownNames(list), QStringList{"Loop.wav"});
}

void tst_WaveViews::finishReplies_data() {
    QTest::addColumn<bool>("exporting");
    QTest::addColumn<QVariant>("result");
    QTest::addColumn<int>("expectedError");
    QTest::addColumn<bool>("destinationKept");

    const QString destination = QStringLiteral("Take 1.WAV");
    for (bool exporting : {true, false}) {
        const char* kind = exporting ? "export" : "copy";
        QTest::addRow("%s: done", kind)
            << exporting
            << QVariant::fromValue(FileCopyCommandResult{0, QStringLiteral("/card"), destination})
            << int(CommandErrorCode::NoError) << true;
        QTest::addRow("%s: failed", kind)
            << exporting
            << QVariant::fromValue(FileCopyCommandResult{int(CommandErrorCode::FileWriteError),
                                                         QStringLiteral("/card"), destination})
            << int(CommandErrorCode::FileWriteError) << false;
        QTest::addRow("%s: cancelled", kind)
            << exporting
            << QVariant::fromValue(FileCopyCommandResult{int(CommandErrorCode::Canceled),
                                                         QStringLiteral("/card"), destination})
            << int(CommandErrorCode::Canceled) << false;
        QTest::addRow("%s: no result", kind) << exporting << QVariant(QStringLiteral("what"))
                                             << int(CommandErrorCode::NoError) << true;
    }
}

void tst_WaveViews::finishReplies() {
    QFETCH(bool, exporting);
    QFETCH(QVariant, result);
    QFETCH(int, expectedError);
    QFETCH(bool, destinationKept);
    const QString destination = QDir(wave_).filePath(QStringLiteral("Take 1.WAV"));
    QVERIFY(wave_images::writeFile(destination, "partial"));
    if (result.canConvert<FileCopyCommandResult>()) {
        auto value = result.value<FileCopyCommandResult>();
        value.destinationPath = destination;
        result = QVariant::fromValue(value);
    }
    WaveList list;
    QStringList order;
    connect(&list, &AbstractWaveFileTreeView::notifyError, this,
            [&] { order.append(QStringLiteral("error")); });
    connect(&list, &AbstractWaveFileTreeView::commandFinished, this,
            [&] { order.append(QStringLiteral("finished")); });
    connect(&list, &AbstractWaveFileTreeView::allReloadRequired, this,
            [&] { order.append(QStringLiteral("reload")); });
    QSignalSpy errors(&list, &AbstractWaveFileTreeView::notifyError);
    QSignalSpy finished(&list, &AbstractWaveFileTreeView::commandFinished);

    if (exporting)
        list.onFinishFileAudioExportCommand(result);
    else
        list.onFinishFileCopyCommand(result);

    QCOMPARE(order, (QStringList{"error", "finished", "reload"}));
    QCOMPARE(int(errors.at(0).at(0).value<CommandErrorCode::T>()), expectedError);
    QCOMPARE(finished.at(0).at(0), result);
    QCOMPARE(QFileInfo::exists(destination), destinationKept);
}

void tst_WaveViews::dragIsAnnounced() {
    QVERIFY(wave_images::writeFile(QDir(wave_).filePath(QStringLiteral("Loop.wav")), "RIFF"));
    WaveList list;
    list.reload();
    QStringList order;
    connect(&list, &AbstractWaveFileTreeView::dragStarted, this,
            [&] { order.append(QStringLiteral("started")); });
    connect(&list, &AbstractWaveFileTreeView::dragEnded, this,
            [&] { order.append(QStringLiteral("ended")); });

    list.startDrag(Qt::CopyAction);
    QCOMPARE(order, QStringList());

    list.selectionModel()->select(list.model()->index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list.startDrag(Qt::CopyAction);
    QCOMPARE(order, (QStringList{"started", "ended"}));
}

// --------------------------------------------------------- drive selector

void tst_WaveViews::drivesAmongMountedVolumes_data() {
    using Volume = SdDirSelectToolButton::Volume;
    QTest::addColumn<QList<Volume>>("mounted");
    QTest::addColumn<QStringList>("expected");

    const QList<Volume> typical = {
        {"/", "", "ext4", true},
        {"/proc", "", "proc", true},
        {"/sys", "", "sysfs", true},
        {"/run", "", "tmpfs", true},
        {"/home", "", "ext4", true},
        {"/media/anna/SDCARD", "SDCARD", "vfat", true},
        {"/snap/core/17", "", "squashfs", true},
        {"/var/lib/docker/overlay2/x/merged", "", "overlay", true},
        {"/run/media/bob/CARD", "CARD", "exfat", true},
        {"/mnt/stale", "", "nfs", false},
    };
    QTest::newRow("removable first, pseudo and unready left out")
        << typical << QStringList{"/media/anna/SDCARD", "/run/media/bob/CARD", "/", "/home"};
    QTest::newRow("a mount point once")
        << QList<Volume>{{"/", "", "ext4", true}, {"/", "", "ext4", true}} << QStringList{"/"};
    QTest::newRow("nothing") << QList<Volume>{{"/dev", "", "devtmpfs", true}} << QStringList();
}

void tst_WaveViews::drivesAmongMountedVolumes() {
    QFETCH(QList<SdDirSelectToolButton::Volume>, mounted);
    QFETCH(QStringList, expected);

    QStringList roots;
    for (const auto& drive : SdDirSelectToolButton::drivesAmong(mounted))
        roots.append(drive.rootPath);

    QCOMPARE(roots, expected);
}

void tst_WaveViews::choosingADrive_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("expectedPrefix");

    QTest::newRow("labelled") << "SDCARD"
                              << "SDCARD (";
    QTest::newRow("no label") << ""
                              << "(";
}

void tst_WaveViews::choosingADrive() {
    QFETCH(QString, label);
    QFETCH(QString, expectedPrefix);
    const QString otherDrive = work_->filePath(QStringLiteral("stick"));
    QVERIFY(QDir().mkpath(otherDrive));
    FixedDrives button;
    button.drives = {{otherDrive, QStringLiteral("STICK"), "vfat", true},
                     {card_, label, "vfat", true}};
    QSignalSpy texts(&button, qOverload<QString>(&SdDirSelectToolButton::selected));
    QSignalSpy dirs(&button, qOverload<QDir>(&SdDirSelectToolButton::selected));
    QCOMPARE(button.text(), QStringLiteral("Select  "));

    button.setSdDirToMenu();
    QCOMPARE(button.menuTexts(), (QStringList{otherDrive, card_, "Other folder..."}));
    QVERIFY(button.trigger(card_));

    const QString expected = expectedPrefix + card_ + QLatin1Char(')');
    QCOMPARE(texts.count(), 1);
    QCOMPARE(texts.at(0).at(0).toString(), expected);
    QCOMPARE(button.text(), expected);
    QCOMPARE(button.accessibleName(), expected);
    QCOMPARE(dirs.count(), 1);
    QCOMPARE(dirs.at(0).at(0).value<QDir>().absolutePath(), card_);
    QCOMPARE(button.lastSelectedPath(), card_);

    // The window selects the stored place the same way.
    button.selectSpecifiedPathItem(otherDrive);
    QCOMPARE(button.text(), QStringLiteral("STICK (") + otherDrive + QLatin1Char(')'));
    QCOMPARE(dirs.last().at(0).value<QDir>().absolutePath(), otherDrive);
}

void tst_WaveViews::nothingFoundOffersOtherFolder() {
    FixedDrives button;
    QSignalSpy texts(&button, qOverload<QString>(&SdDirSelectToolButton::selected));
    QSignalSpy dirs(&button, qOverload<QDir>(&SdDirSelectToolButton::selected));

    button.setSdDirToMenu();
    QCOMPARE(button.menuTexts(), (QStringList{"<Not Found>", "Other folder..."}));
    QVERIFY(button.trigger(QStringLiteral("<Not Found>")));

    QCOMPARE(texts.count(), 0);
    QCOMPARE(dirs.count(), 0);
    QCOMPARE(button.text(), QStringLiteral("Select  "));
    QCOMPARE(button.folderQuestions, 0);
}

void tst_WaveViews::storedPlaceThatIsGoneSelectsNothing() {
    FixedDrives button;
    button.drives = {{card_, QStringLiteral("SDCARD"), "vfat", true}};
    button.selectSpecifiedPathItem(card_);
    QSignalSpy texts(&button, qOverload<QString>(&SdDirSelectToolButton::selected));
    QSignalSpy dirs(&button, qOverload<QDir>(&SdDirSelectToolButton::selected));
    const QString gone = work_->filePath(QStringLiteral("removed-card"));

    button.selectSpecifiedPathItem(gone);

    QCOMPARE(button.text(), QStringLiteral("Select  "));
    QCOMPARE(texts.count(), 1);
    QCOMPARE(texts.at(0).at(0).toString(), QString());
    QCOMPARE(dirs.count(), 1);
    // No folder at all: not the folder the program runs in.
    const QDir none = dirs.at(0).at(0).value<QDir>();
    QCOMPARE(none.path(), QString());
    QVERIFY(!none.exists());
}

void tst_WaveViews::otherFolderIsChosenAndFoundAgain() {
    const QString copy = work_->filePath(QStringLiteral("card copy"));
    QVERIFY(QDir().mkpath(QDir(copy).filePath(QStringLiteral("MUSICDAT"))));
    const QString drive = work_->filePath(QStringLiteral("drive"));
    QVERIFY(QDir().mkpath(drive));
    FixedDrives button;
    button.drives = {{drive, QString(), "ext4", true}};
    QSignalSpy dirs(&button, qOverload<QDir>(&SdDirSelectToolButton::selected));

    button.setSdDirToMenu();
    QVERIFY(button.trigger(QStringLiteral("Other folder...")));
    QCOMPARE(button.folderQuestions, 1);
    QCOMPARE(dirs.count(), 0);

    button.folderAnswer = copy;
    button.setSdDirToMenu();
    QVERIFY(button.trigger(QStringLiteral("Other folder...")));
    QCOMPARE(dirs.count(), 1);
    QCOMPARE(dirs.at(0).at(0).value<QDir>().absolutePath(), copy);
    QCOMPARE(button.text(), QStringLiteral("(") + copy + QLatin1Char(')'));
    button.setSdDirToMenu();
    QCOMPARE(button.menuTexts(), (QStringList{drive, copy, "Other folder..."}));

    // Next start: the stored folder is found while it exists.
    FixedDrives restarted;
    restarted.drives = button.drives;
    QSignalSpy restartedDirs(&restarted, qOverload<QDir>(&SdDirSelectToolButton::selected));
    restarted.selectSpecifiedPathItem(copy);
    QCOMPARE(restartedDirs.count(), 1);
    QCOMPARE(restartedDirs.at(0).at(0).value<QDir>().absolutePath(), copy);

    QVERIFY(QDir(copy).removeRecursively());
    FixedDrives later;
    later.drives = button.drives;
    later.selectSpecifiedPathItem(copy);
    QCOMPARE(later.text(), QStringLiteral("Select  "));
    later.setSdDirToMenu();
    QCOMPARE(later.menuTexts(), (QStringList{drive, "Other folder..."}));
}

void tst_WaveViews::reloadFollowsTheCard() {
    FixedDrives button;
    button.drives = {{card_, QStringLiteral("SDCARD"), "vfat", true}};
    button.selectSpecifiedPathItem(card_);
    QSignalSpy dirs(&button, qOverload<QDir>(&SdDirSelectToolButton::selected));

    // Taken out.
    button.drives.clear();
    button.selectLastSelectedItem();
    QCOMPARE(button.text(), QStringLiteral("Select  "));
    QCOMPARE(dirs.last().at(0).value<QDir>().path(), QString());

    // Put back.
    button.drives = {{card_, QStringLiteral("SDCARD"), "vfat", true}};
    button.selectLastSelectedItem();
    QCOMPARE(button.text(), QStringLiteral("SDCARD (") + card_ + QLatin1Char(')'));
    QCOMPARE(dirs.last().at(0).value<QDir>().absolutePath(), card_);
}

QTEST_MAIN(tst_WaveViews)
#include "tst_WaveViews.moc"
