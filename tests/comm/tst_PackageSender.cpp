#include "TransferKeyboard.h"

#include "comm/BulkSendCommandInfo.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CommandErrorCode.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/PackageSender.h"
#include "data/DrawbarDataCategory.h"
#include "data/DspDataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MusicPresetDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/ToneDataCategory.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq14Info.h"
#include "data/Zq21BInfo.h"
#include "file/CategoryFiles.h"
#include "file/PackageFile.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace zel::qmix;
using namespace zel::qmix::comm;

namespace {

// Sends of whole packages take a while on a busy machine.
constexpr int Patience = 60000;

constexpr int Tone = 3;
constexpr int Dsp = 19;
constexpr int Song = 33;
constexpr int MusicPreset = 37;

constexpr int EmptySong = 817;
constexpr int EmptyPreset = 43;

// The program's idea of the connected model, restored afterwards.
class CurrentModel {
public:
    explicit CurrentModel(data::KeyboardInfo* model)
        : previous_(data::KeyboardInfo::currentModel()) {
        data::KeyboardInfo::setCurrentModel(model);
    }
    ~CurrentModel() { data::KeyboardInfo::setCurrentModel(previous_); }

private:
    data::KeyboardInfo* previous_;
};

QByteArray pattern(int size, int seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(1 + (i * 7 + seed) % 113);
    return bytes;
}

QByteArray songPayload(int size, int seed) {
    QByteArray bytes = pattern(size, seed);
    bytes.replace(10, 12, QByteArray("Song ").append(QByteArray::number(seed)).leftJustified(12));
    return bytes;
}

QByteArray presetPayload(int size, int seed) {
    return QByteArray("CMPS") + pattern(size - 4, seed);
}

// Tone type 0, which every model takes.
QByteArray tonePayload(int size, int seed) {
    QByteArray bytes = pattern(size, seed);
    bytes[4] = 0;
    return bytes;
}

// The file a user would have for `payload`, made for the current model.
QByteArray fileImage(const data::DataCategory* category, const QByteArray& payload) {
    const auto file = file::CategoryFiles::createFile(category);
    file->setData(payload);
    QByteArray image;
    file->toByteArray(image);
    return image;
}

struct Entry {
    const data::DataCategory* category;
    int area;
    QString fileName;
    QByteArray image;
};

class Receiver : public QObject {
    Q_OBJECT
public:
    QList<BulkSendCommandInfo> started;
    QList<BulkSendCommandResult> finished;
    // Kept, so that the values are released here, after the program's
    // threads are done with them (see TransferKeyboard).
    QVariantList kept;

    CommandConnections connections() const {
        CommandConnections wiring;
        wiring.receiver = this;
        wiring.startedSlot = SLOT(onStartBulkSend(QVariant));
        wiring.finishedSlot = SLOT(onFinishBulkSend(QVariant));
        return wiring;
    }

public slots:
    void onStartBulkSend(QVariant info) {
        kept << info;
        started << info.value<BulkSendCommandInfo>();
    }
    void onFinishBulkSend(QVariant result) {
        kept << result;
        finished << result.value<BulkSendCommandResult>();
    }
};

} // namespace

namespace QTest {
template <> char* toString(const BulkSendCommandInfo& info) {
    return qstrdup(QString("{\"%1\", category %2, area %3}")
                       .arg(info.name)
                       .arg(info.category)
                       .arg(info.areaNumber)
                       .toUtf8()
                       .constData());
}
template <> char* toString(const BulkSendCommandResult& result) {
    return qstrdup(QString("{error %1, category %2, area %3}")
                       .arg(result.errorCode)
                       .arg(result.category)
                       .arg(result.areaNumber)
                       .toUtf8()
                       .constData());
}
} // namespace QTest

class tst_PackageSender : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadPackage_data();
    void loadPackage();
    void loadedPackageOutlivesItsFile();
    void withoutCommunicator();
    void packageForAnotherModel_data();
    void packageForAnotherModel();
    void emptyPackageQueuesNothing();
    void memoryCheck_data();
    void memoryCheck();
    void keyboardWithoutAnAreaAnswer();
    void rejectedElementIsListedOthersAreSent();
    void unreadElementIsListedOthersAreSent();
    void packageArrivesUnchanged();
    void secondGenerationSendsByGroup();
    void skippedCheckSendsAnyway();

private:
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    // A package for `modelName` holding the entries, saved as `name`.
    QString package(const QString& name, const QString& modelName,
                    const QList<Entry>& entries) const;
    void waitForSends(const Receiver& receiver, int count) const;

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<CurrentModel> model_;
};

void tst_PackageSender::initTestCase() {
    // Only the wire's test keyboards may be found: no sound server is asked.
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
}

void tst_PackageSender::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    model_ = std::make_unique<CurrentModel>(data::Zq11Info::instance());
}

void tst_PackageSender::cleanup() {
    model_.reset();
    folder_.reset();
}

QString tst_PackageSender::writeFile(const QString& name, const QByteArray& bytes) const {
    QFile file(folder_->filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

QString tst_PackageSender::package(const QString& name, const QString& modelName,
                                   const QList<Entry>& entries) const {
    file::PackageFile package(modelName);
    for (const Entry& entry : entries)
        package.setFile(entry.category->keyWord(), entry.area,
                        writeFile(entry.fileName, entry.image));
    const QString path = folder_->filePath(name);
    return package.save(path) ? path : QString();
}

void tst_PackageSender::waitForSends(const Receiver& receiver, int count) const {
    QTRY_COMPARE_WITH_TIMEOUT(receiver.finished.size(), count, Patience);
    for (const BulkSendCommandResult& result : receiver.finished)
        QCOMPARE(result.errorCode, int(CommandErrorCode::NoError));
}

void tst_PackageSender::loadPackage_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("expected");

    QTest::newRow("no such file") << "missing" << int(PackageSender::CannotOpenFile);
    QTest::newRow("a folder") << "folder" << int(PackageSender::CannotOpenFile);
    QTest::newRow("not an archive") << "text" << int(PackageSender::CannotLoadPackage);
    QTest::newRow("a package") << "package" << int(PackageSender::Success);
}

void tst_PackageSender::loadPackage() {
    QFETCH(QString, kind);
    QFETCH(int, expected);

    const QByteArray song = fileImage(data::SequencerDataCategory::instance(), songPayload(900, 1));
    QString path = folder_->filePath("absent.PK7");
    if (kind == "folder")
        path = folder_->path();
    else if (kind == "text")
        path = writeFile("text.PK7", "TAVRO ZEL TONEHARBOUR PACKAGE FILE\nVERSION:1\n");
    else if (kind == "package")
        path = package("songs.PK7", "PRV-1200",
                       {{data::SequencerDataCategory::instance(), 3, "evening.CMS", song}});
    QVERIFY(!path.isEmpty());
    PackageSender sender(nullptr);
    file::PackageFile loaded;

    QCOMPARE(sender.loadPackage(path, loaded), expected);

    if (expected == PackageSender::Success) {
        QCOMPARE(loaded.modelName(), QString("PRV-1200"));
        // The archive's entry sizes are known, for the memory check.
        QCOMPARE(loaded.area("SEQUENCER", 3).size, qint32(song.size()));
        QCOMPARE(loaded.dataName("SEQUENCER", 3), QString("evening.CMS"));
    }
}

void tst_PackageSender::loadedPackageOutlivesItsFile() {
    const QByteArray song = fileImage(data::SequencerDataCategory::instance(), songPayload(900, 1));
    const QString path = package("songs.PK7", "PRV-1200",
                                 {{data::SequencerDataCategory::instance(), 0, "a.CMS", song}});
    PackageSender sender(nullptr);
    file::PackageFile loaded;
    QCOMPARE(sender.loadPackage(path, loaded), int(PackageSender::Success));

    QVERIFY(QFile::remove(path));
    QByteArray read;

    QCOMPARE(loaded.read("SEQUENCER", 0, read), int(file::PackageFile::ReadOk));
    QCOMPARE(read, song);
}

void tst_PackageSender::withoutCommunicator() {
    const QString path = package("empty.PK7", "PRV-1200", {});
    PackageSender sender(nullptr);
    file::PackageFile loaded;
    QCOMPARE(sender.loadPackage(path, loaded), int(PackageSender::Success));
    QSignalSpy queued(&sender, &PackageSender::newCommandRegistered);

    QCOMPARE(sender.check(loaded), int(PackageSender::NoCommunicator));
    QCOMPARE(sender.send(loaded), int(PackageSender::NoCommunicator));
    QCOMPARE(sender.sendFile(path), int(PackageSender::NoCommunicator));
    QCOMPARE(sender.checkFile(path), int(PackageSender::NoCommunicator));
    // The file is looked at first.
    QCOMPARE(sender.sendFile(folder_->filePath("absent.PK7")), int(PackageSender::CannotOpenFile));
    QCOMPARE(queued.count(), 0);
}

void tst_PackageSender::packageForAnotherModel_data() {
    QTest::addColumn<QString>("modelName");

    QTest::newRow("another family") << "PRV-1100";
    QTest::newRow("the interchangeable sister model") << "LM-4200";
}

void tst_PackageSender::packageForAnotherModel() {
    QFETCH(QString, modelName);

    TransferKeyboard keyboard("package-other-model", data::Zq11Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const QString path =
        package("other.PK7", modelName,
                {{data::SequencerDataCategory::instance(), 0, "a.CMS",
                  fileImage(data::SequencerDataCategory::instance(), songPayload(900, 1))}});
    Receiver receiver;
    PackageSender sender(&communicator);
    sender.setConnections(receiver.connections());
    QSignalSpy queued(&sender, &PackageSender::newCommandRegistered);

    QCOMPARE(sender.checkFile(path), int(PackageSender::OtherModel));
    QCOMPARE(sender.sendFile(path), int(PackageSender::OtherModel));

    QCOMPARE(queued.count(), 0);
    // Anything queued would have run before this query.
    QCOMPARE(communicator.dataSizes(Song).size(), 5);
    QCoreApplication::processEvents();
    QVERIFY(receiver.started.isEmpty());
}

void tst_PackageSender::emptyPackageQueuesNothing() {
    TransferKeyboard keyboard("package-empty", data::Zq11Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const QString path = package("empty.PK7", "PRV-1200", {});
    PackageSender sender(&communicator);
    QSignalSpy queued(&sender, &PackageSender::newCommandRegistered);

    QCOMPARE(sender.sendFile(path), int(PackageSender::Success));

    QCOMPARE(queued.count(), 0);
    QVERIFY(sender.unreadElements().isEmpty());
    QVERIFY(sender.rejectedElements().isEmpty());
}

void tst_PackageSender::memoryCheck_data() {
    using Stored = QList<QPair<int, int>>; // area, payload size on the keyboard
    using Sizes = QList<QPair<int, int>>;  // area, payload size in the package
    QTest::addColumn<int>("category");
    QTest::addColumn<Stored>("stored");
    QTest::addColumn<Sizes>("packaged");
    QTest::addColumn<int>("expected");

    const data::KeyboardInfo* model = data::Zq11Info::instance();
    const int songCapacity = model->songMemoryCapacity();
    const int presetCapacity = model->musicPresetMemoryCapacity();

    QTest::newRow("a large song fits beside empty areas")
        << Song << Stored{} << Sizes{{0, 160000}} << int(PackageSender::Success);
    QTest::newRow("the same song does not fit beside a stored one")
        << Song << Stored{{1, 10000}} << Sizes{{0, 160000}} << int(PackageSender::SongMemoryFull);
    QTest::newRow("a song of the package replaces the stored one")
        << Song << Stored{{1, 10000}} << Sizes{{0, 160000}, {1, 1000}}
        << int(PackageSender::Success);
    QTest::newRow("songs filling the memory exactly")
        << Song << Stored{} << Sizes{{4, songCapacity - 4 * EmptySong}}
        << int(PackageSender::SongMemoryFull);
    QTest::newRow("one byte less")
        << Song << Stored{} << Sizes{{4, songCapacity - 4 * EmptySong - 1}}
        << int(PackageSender::Success);

    Sizes fifteen, sixteen;
    for (int area = 0; area < 16; ++area) {
        sixteen << qMakePair(area, 8000);
        if (area < 15)
            fifteen << qMakePair(area, 8000);
    }
    QTest::newRow("fifteen large presets fit")
        << MusicPreset << Stored{} << fifteen << int(PackageSender::Success);
    QTest::newRow("sixteen do not")
        << MusicPreset << Stored{} << sixteen << int(PackageSender::MusicPresetMemoryFull);
    QTest::newRow("presets filling the memory exactly")
        << MusicPreset << Stored{} << Sizes{{0, presetCapacity - 99 * EmptyPreset}}
        << int(PackageSender::MusicPresetMemoryFull);
    QTest::newRow("stored presets count") << MusicPreset << Stored{{50, 8000}} << fifteen
                                          << int(PackageSender::MusicPresetMemoryFull);
}

void tst_PackageSender::memoryCheck() {
    using Stored = QList<QPair<int, int>>;
    using Sizes = QList<QPair<int, int>>;
    QFETCH(int, category);
    QFETCH(Stored, stored);
    QFETCH(Sizes, packaged);
    QFETCH(int, expected);

    TransferKeyboard keyboard("package-memory", data::Zq11Info::instance(), {},
                              [&](emu::KeyboardMemory& memory) {
                                  for (const auto& [area, size] : stored)
                                      memory.setAreaData(category, area, pattern(size, area));
                              });
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const data::DataCategory* kind =
        category == Song ? static_cast<data::DataCategory*>(data::SequencerDataCategory::instance())
                         : data::MusicPresetDataCategory::instance();
    QList<Entry> entries;
    for (const auto& [area, size] : packaged) {
        const QByteArray payload =
            category == Song ? songPayload(size, area) : presetPayload(size, area);
        entries << Entry{kind, area, QString("%1%2").arg(area).arg(kind->extension()),
                         fileImage(kind, payload)};
    }
    const QString path = package("memory.PK7", "PRV-1200", entries);
    QVERIFY(!path.isEmpty());
    PackageSender sender(&communicator);

    QCOMPARE(sender.checkFile(path), expected);
}

void tst_PackageSender::keyboardWithoutAnAreaAnswer() {
    // The keyboard counts what it receives from 1: the mode, the category,
    // then per song area its number and the size request. The second song
    // area's size never comes; the query waits out its usual time once and
    // asks nothing more, so a keyboard that stopped answering fails at once.
    emu::FaultPlan faults;
    faults.dropRepliesTo = emu::Occurrences::only({6});
    TransferKeyboard keyboard("package-area-counts", data::Zq11Info::instance(), faults);
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const QString path = package("counts.PK7", "PRV-1200",
                                 {{data::DspDataCategory::instance(), 0, "fx.DS7",
                                   fileImage(data::DspDataCategory::instance(), pattern(150, 3))}});
    PackageSender sender(&communicator);
    QSignalSpy queued(&sender, &PackageSender::newCommandRegistered);

    QCOMPARE(sender.sendFile(path), int(PackageSender::AreaCountMismatch));

    QCOMPARE(queued.count(), 0);
    QCOMPARE(keyboard.receivedCount(), 6);
}

void tst_PackageSender::rejectedElementIsListedOthersAreSent() {
    TransferKeyboard keyboard("package-rejected", data::Zq11Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const QByteArray song = songPayload(1500, 1);
    const QByteArray dsp = pattern(200, 2);
    const QString path =
        package("rejected.PK7", "PRV-1200",
                {{data::SequencerDataCategory::instance(), 0, "song.CMS",
                  fileImage(data::SequencerDataCategory::instance(), song)},
                 {data::MusicPresetDataCategory::instance(), 2, "junk.MPS", pattern(300, 3)},
                 {data::DspDataCategory::instance(), 5, "fx.DS7",
                  fileImage(data::DspDataCategory::instance(), dsp)}});
    Receiver receiver;
    PackageSender sender(&communicator);
    sender.setConnections(receiver.connections());
    QSignalSpy queued(&sender, &PackageSender::newCommandRegistered);

    QCOMPARE(sender.sendFile(path), int(PackageSender::Success));

    QCOMPARE(sender.rejectedElements(), QStringList{"junk.MPS"});
    QVERIFY(sender.unreadElements().isEmpty());
    QCOMPARE(queued.count(), 2);
    waitForSends(receiver, 2);
    QCOMPARE(keyboard.areaData(Dsp, 5), dsp);
    QCOMPARE(keyboard.areaData(Song, 0), song);
    QCOMPARE(keyboard.areaData(MusicPreset, 2).size(), EmptyPreset);

    // A later send that stops early leaves no list of the earlier one behind.
    QCOMPARE(sender.sendFile(package("other.PK7", "PRV-1100", {})), int(PackageSender::OtherModel));
    QVERIFY(sender.rejectedElements().isEmpty());
}

void tst_PackageSender::unreadElementIsListedOthersAreSent() {
    TransferKeyboard keyboard("package-unread", data::Zq11Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const QByteArray dsp = pattern(200, 2);
    file::PackageFile edited("PRV-1200");
    edited.setFile("DSP", 1,
                   writeFile("fx.DS7", fileImage(data::DspDataCategory::instance(), dsp)));
    const QString gone = writeFile("gone.DS7", fileImage(data::DspDataCategory::instance(), dsp));
    edited.setFile("DSP", 2, gone);
    QVERIFY(QFile::remove(gone));
    Receiver receiver;
    PackageSender sender(&communicator);
    sender.setConnections(receiver.connections());
    QSignalSpy queued(&sender, &PackageSender::newCommandRegistered);

    QCOMPARE(sender.send(edited), int(PackageSender::Success));

    QCOMPARE(sender.unreadElements(), QStringList{gone});
    QVERIFY(sender.rejectedElements().isEmpty());
    QCOMPARE(queued.count(), 1);
    waitForSends(receiver, 1);
    QCOMPARE(keyboard.areaData(Dsp, 1), dsp);
}

void tst_PackageSender::packageArrivesUnchanged() {
    TransferKeyboard keyboard("package-sent", data::Zq11Info::instance(), {},
                              [](emu::KeyboardMemory& memory) {
                                  // Overwritten without a question.
                                  memory.setAreaData(Song, 2, songPayload(5000, 9));
                              });
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const QByteArray tone = tonePayload(300, 1);
    const QByteArray organ = pattern(84, 2);
    const QByteArray dsp = pattern(150, 3);
    const QByteArray song = songPayload(2500, 4);
    const QByteArray preset = presetPayload(600, 5);
    const QString path =
        package("full.PK7", "PRV-1200",
                {{data::SequencerDataCategory::instance(), 2, "song.CMS",
                  fileImage(data::SequencerDataCategory::instance(), song)},
                 {data::MusicPresetDataCategory::instance(), 3, "preset.MPS", preset},
                 {data::ToneDataCategory::instance(), 7, "tone.TN7",
                  fileImage(data::ToneDataCategory::instance(), tone)},
                 {data::DrawbarDataCategory::instance(), 4, "organ.DB7",
                  fileImage(data::DrawbarDataCategory::instance(), organ)},
                 {data::DspDataCategory::instance(), 10, "fx.DS7",
                  fileImage(data::DspDataCategory::instance(), dsp)}});
    QVERIFY(!path.isEmpty());
    Receiver receiver;
    PackageSender sender(&communicator);
    sender.setConnections(receiver.connections());
    QSignalSpy queued(&sender, &PackageSender::newCommandRegistered);

    QCOMPARE(sender.sendFile(path), int(PackageSender::Success));

    QCOMPARE(queued.count(), 5);
    waitForSends(receiver, 5);
    // In the model's category order; drawbar settings live in the tone areas
    // from 100 on.
    QCOMPARE(receiver.started,
             (QList<BulkSendCommandInfo>{
                 {"Sending \"tone.TN7\" to Tone Area 8", Tone, 7},
                 {"Sending \"organ.DB7\" to Drawbar Organ Area 55", Tone, 104},
                 {"Sending \"fx.DS7\" to DSP Area 111", Dsp, 10},
                 {"Sending \"song.CMS\" to Song Sequencer Area 3", Song, 2},
                 {"Sending \"preset.MPS\" to Music Preset Area 4", MusicPreset, 3}}));
    QCOMPARE(keyboard.areaData(Tone, 7), tone);
    QCOMPARE(keyboard.areaData(Tone, 104), organ);
    QCOMPARE(keyboard.areaData(Dsp, 10), dsp);
    QCOMPARE(keyboard.areaData(Song, 2), song);
    QCOMPARE(keyboard.areaData(MusicPreset, 3), preset);
    QFile picture(PackageSender::LcdPicturePath);
    QVERIFY(picture.open(QIODevice::ReadOnly));
    QCOMPARE(keyboard.lcdPicture(), picture.readAll());
}

void tst_PackageSender::secondGenerationSendsByGroup() {
    model_ = std::make_unique<CurrentModel>(data::Zq21BInfo::instance());
    TransferKeyboard keyboard("package-groups", data::Zq21BInfo::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const QString path = package(
        "groups.PK7", "PRV-3200",
        {{data::ToneDataCategory::instance(), 0, "tone.TN7",
          fileImage(data::ToneDataCategory::instance(), tonePayload(300, 1))},
         {data::DspDataCategory::instance(), 0, "fx.DS7",
          fileImage(data::DspDataCategory::instance(), pattern(150, 3))},
         {data::SequencerDataCategory::instance(), 0, "song.CMS",
          fileImage(data::SequencerDataCategory::instance(), songPayload(2500, 4))},
         {data::MusicPresetDataCategory::instance(), 0, "preset.MPS", presetPayload(600, 5)}});
    QVERIFY(!path.isEmpty());
    Receiver receiver;
    PackageSender sender(&communicator);
    sender.setConnections(receiver.connections());

    QCOMPARE(sender.sendFile(path), int(PackageSender::Success));

    waitForSends(receiver, 4);
    QList<int> order;
    for (const BulkSendCommandInfo& info : receiver.started)
        order << info.category;
    QCOMPARE(order, (QList<int>{Song, MusicPreset, Tone, Dsp}));
}

void tst_PackageSender::skippedCheckSendsAnyway() {
    TransferKeyboard keyboard("package-skip-check", data::Zq11Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const QByteArray dsp = pattern(150, 3);
    const QString path = package("other.PK7", "PRV-1100",
                                 {{data::DspDataCategory::instance(), 0, "fx.DS7",
                                   fileImage(data::DspDataCategory::instance(), dsp)}});
    Receiver receiver;
    PackageSender sender(&communicator);
    sender.setConnections(receiver.connections());
    QSignalSpy queued(&sender, &PackageSender::newCommandRegistered);
    QCOMPARE(sender.sendFile(path), int(PackageSender::OtherModel));

    sender.setSkipCheck(true);

    QCOMPARE(sender.sendFile(path), int(PackageSender::Success));
    QCOMPARE(queued.count(), 1);
    waitForSends(receiver, 1);
    QCOMPARE(keyboard.areaData(Dsp, 0), dsp);
}

QTEST_GUILESS_MAIN(tst_PackageSender)
#include "tst_PackageSender.moc"
