#include "KeyboardFixture.h"
#include "ScriptedKeyboard.h"
#include "TransferKeyboard.h"

#include "comm/CategoryMemoryCommand.h"
#include "comm/KeyboardCommunicator.h"
#include "data/Zq11Info.h"
#include "midi/DeviceHandler.h"

#include <QtTest>

using namespace zel::qmix;
using namespace zel::qmix::comm;

using Messages = QList<QByteArray>;
using Result = CategoryMemoryCommandResult;
using Info = CategoryMemoryCommandInfo;

namespace {

constexpr int Patience = 30000;
// Short, so the cases that wait for a reply that never comes stay quick.
constexpr int ShortReplyTimeoutMs = 200;

constexpr int Song = 33;
constexpr int Registration = 34;
constexpr int Rhythm = 36;
constexpr int MusicPreset = 37;

// What the model (a PRV-1200) keeps in its memory.
constexpr int EmptySong = 817;
constexpr int EmptyPreset = 43;
constexpr int EmptyRhythm = 116;
constexpr int SongAreas = 5;
constexpr int PresetAreas = 100;
constexpr int RhythmAreas = 100;
constexpr int RhythmAreaLimit = 32764;
constexpr int FixedAreaLimit = 65532;

QByteArray filled(int size, int seed) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(1 + (i + seed) % 97);
    return data;
}

Result run(midi::DeviceHandler& handler, int category, const QVariant& info,
           CommandErrorCode::T* code) {
    CategoryMemoryCommand command(&handler, category);
    command.setInfo(info);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    command.execute();
    *code = command.errorCode();
    return command.result().value<Result>();
}

Messages bytesOf(const QList<ScriptedKeyboard::Received>& received) {
    Messages messages;
    for (const auto& message : received)
        messages << message.bytes;
    return messages;
}

Messages areaQuery(int area, int id) {
    return {parameterWrite(27, area), parameterRequest(id, 0, 0)};
}

class Receiver : public QObject {
    Q_OBJECT
public:
    QList<Result> results;
    // Kept, so that the values are released here, after the program's
    // threads are done with them (see TransferKeyboard).
    QVariantList kept;

public slots:
    void onFinishCategoryMemoryLoad(QVariant result) {
        kept << result;
        results << result.value<Result>();
    }
};

} // namespace

namespace QTest {
template <> char* toString(const Result& result) {
    return qstrdup(QString("{failed %1, used %2, total %3, category %4}")
                       .arg(result.failed)
                       .arg(result.usedSize)
                       .arg(result.totalSize)
                       .arg(result.category)
                       .toUtf8()
                       .constData());
}
} // namespace QTest

class tst_CategoryMemoryCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void measuresTheKeyboard_data();
    void measuresTheKeyboard();
    void musicPresetTraffic_data();
    void musicPresetTraffic();
    void withoutTheCallersFigures_data();
    void withoutTheCallersFigures();
    void unansweredRequest_data();
    void unansweredRequest();
    void withoutKeyboard();
    void typesAreRegisteredUnderTheirNames();
    void registeredQueryCarriesTheCallersFigures();
};

void tst_CategoryMemoryCommand::initTestCase() {
    // Only the wire's test keyboards may be found: no sound server is asked.
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
}

void tst_CategoryMemoryCommand::measuresTheKeyboard_data() {
    using Areas = QList<QPair<int, int>>; // area, size
    QTest::addColumn<int>("category");
    QTest::addColumn<Areas>("stored");
    QTest::addColumn<Info>("info");
    QTest::addColumn<Result>("expected");

    const data::KeyboardInfo* model = data::Zq11Info::instance();
    const int presetTotal = model->musicPresetMemoryCapacity();
    const int songTotal = model->songMemoryCapacity();
    const Info presets{EmptyPreset, PresetAreas};
    const Info songs{EmptySong, SongAreas};

    QTest::newRow("music presets, none stored, 4 areas of 1000")
        << MusicPreset << Areas{} << Info{1000, 4} << Result{0, 4000, presetTotal, MusicPreset};
    QTest::newRow("music presets, none stored")
        << MusicPreset << Areas{} << presets
        << Result{0, PresetAreas * EmptyPreset, presetTotal, MusicPreset};
    QTest::newRow("music presets, one stored")
        << MusicPreset << Areas{{7, 500}} << presets
        << Result{0, (PresetAreas - 1) * EmptyPreset + 500, presetTotal, MusicPreset};
    QTest::newRow("music presets, two stored")
        << MusicPreset << Areas{{0, 300}, {99, 2000}} << presets
        << Result{0, (PresetAreas - 2) * EmptyPreset + 2300, presetTotal, MusicPreset};
    QTest::newRow("music presets, one smaller than an empty one: more than nothing")
        << MusicPreset << Areas{{0, 10}} << presets
        << Result{0, PresetAreas * EmptyPreset + 1, presetTotal, MusicPreset};
    QTest::newRow("songs, none stored")
        << Song << Areas{} << songs << Result{0, SongAreas * EmptySong, songTotal, Song};
    QTest::newRow("songs: the sum of the areas")
        << Song << Areas{{1, 2000}, {3, 1500}} << songs
        << Result{0, (SongAreas - 2) * EmptySong + 3500, songTotal, Song};
    QTest::newRow("rhythms: total less free")
        << Rhythm << Areas{{4, 1500}} << Info{}
        << Result{0, (RhythmAreas - 1) * EmptyRhythm + 1500, RhythmAreas * RhythmAreaLimit, Rhythm};
    QTest::newRow("registration: total less free")
        << Registration << Areas{} << Info{} << Result{0, 1024, FixedAreaLimit, Registration};
}

void tst_CategoryMemoryCommand::measuresTheKeyboard() {
    using Areas = QList<QPair<int, int>>;
    QFETCH(int, category);
    QFETCH(Areas, stored);
    QFETCH(Info, info);
    QFETCH(Result, expected);

    TransferKeyboard keyboard("category-memory-keyboard", data::Zq11Info::instance(), {},
                              [&](emu::KeyboardMemory& memory) {
                                  for (const auto& [area, size] : stored)
                                      memory.setAreaData(category, area, filled(size, area));
                              });
    midi::DeviceHandler handler;
    QVERIFY(handler.openMatching(keyboard.name(), keyboard.name()));
    CommandErrorCode::T code;

    const Result measured = run(handler, category, QVariant::fromValue(info), &code);

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(measured, expected);
    handler.disconnectDevice();
}

void tst_CategoryMemoryCommand::musicPresetTraffic_data() {
    QTest::addColumn<int>("usedArea");
    QTest::addColumn<int>("free");
    QTest::addColumn<Messages>("expectedMessages");
    QTest::addColumn<int>("expectedUsed");

    const Messages head{parameterWrite(26, 2), parameterWrite(25, MusicPreset),
                        parameterRequest(36, 0, 0)};
    const Messages areas01 = areaQuery(0, 29) + areaQuery(1, 29);
    const Messages request38{parameterRequest(38, 0, 0)};
    QTest::newRow("stops at the first used area")
        << 1 << 800 << head + areas01 + request38 << 1000 + 43 - 800;
    QTest::newRow("at least one byte more than the empty areas")
        << 1 << 1000 << head + areas01 + request38 << 4 * 43 + 1;
    QTest::newRow("never below the empty areas when free exceeds the total")
        << 0 << 5000 << head + areaQuery(0, 29) + request38 << 4 * 43 + 1;
    QTest::newRow("nothing used: free memory not asked")
        << -1 << 800 << head + areas01 + areaQuery(2, 29) + areaQuery(3, 29) << 4 * 43;
}

void tst_CategoryMemoryCommand::musicPresetTraffic() {
    QFETCH(int, usedArea);
    QFETCH(int, free);
    QFETCH(Messages, expectedMessages);
    QFETCH(int, expectedUsed);

    KeyboardFixture fixture("category-memory-presets");
    QVERIFY(fixture.connected);
    ScriptedKeyboard& keyboard = *fixture.keyboard;
    keyboard.setParameter(36, {1000});
    keyboard.setParameter(38, {free});
    keyboard.setParameter(29, {0});
    if (usedArea >= 0)
        keyboard.setAreaParameter(MusicPreset, usedArea, 29, {1});
    CommandErrorCode::T code;

    const Result measured =
        run(fixture.handler, MusicPreset, QVariant::fromValue(Info{43, 4}), &code);

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(bytesOf(keyboard.received()), expectedMessages);
    QCOMPARE(measured, (Result{0, expectedUsed, 1000, MusicPreset}));
}

void tst_CategoryMemoryCommand::withoutTheCallersFigures_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<QVariant>("info");

    QTest::newRow("songs, a title instead") << Song << QVariant(QString("Memory"));
    QTest::newRow("music presets, nothing") << MusicPreset << QVariant();
}

void tst_CategoryMemoryCommand::withoutTheCallersFigures() {
    QFETCH(int, category);
    QFETCH(QVariant, info);

    KeyboardFixture fixture("category-memory-no-info");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(36, {1000});
    fixture.keyboard->setParameter(29, {1});
    CommandErrorCode::T code;

    const Result measured = run(fixture.handler, category, info, &code);

    // No area is looked at.
    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(measured, (Result{0, 0, 1000, category}));
    QCOMPARE(bytesOf(fixture.keyboard->received()),
             (Messages{parameterWrite(26, 2), parameterWrite(25, category),
                       parameterRequest(36, 0, 0)}));
}

void tst_CategoryMemoryCommand::unansweredRequest_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("silentId");
    QTest::addColumn<Result>("expected");

    QTest::newRow("total") << Rhythm << 36 << Result{1, 0, 0, Rhythm};
    QTest::newRow("song size") << Song << 31 << Result{1, 0, 1000, Song};
    QTest::newRow("preset in use") << MusicPreset << 29 << Result{1, 0, 1000, MusicPreset};
    QTest::newRow("preset free memory") << MusicPreset << 38 << Result{1, 0, 1000, MusicPreset};
    QTest::newRow("free memory") << Rhythm << 38 << Result{1, 0, 1000, Rhythm};
}

void tst_CategoryMemoryCommand::unansweredRequest() {
    QFETCH(int, category);
    QFETCH(int, silentId);
    QFETCH(Result, expected);

    KeyboardFixture fixture("category-memory-silent");
    QVERIFY(fixture.connected);
    ScriptedKeyboard& keyboard = *fixture.keyboard;
    keyboard.setParameter(36, {1000});
    keyboard.setParameter(38, {400});
    keyboard.setParameter(31, {100});
    keyboard.setParameter(29, {1});
    keyboard.setUnanswered({silentId});
    CommandErrorCode::T code;

    const Result measured = run(fixture.handler, category, QVariant::fromValue(Info{43, 5}), &code);

    QCOMPARE(code, CommandErrorCode::CommunicationError);
    QCOMPARE(measured, expected);
    // The first unanswered request ends the reading.
    QCOMPARE(keyboard.requests().constLast().id, silentId);
}

void tst_CategoryMemoryCommand::withoutKeyboard() {
    midi::DeviceHandler handler;
    CommandErrorCode::T code;

    const Result measured = run(handler, MusicPreset, QVariant::fromValue(Info{43, 5}), &code);

    QCOMPARE(code, CommandErrorCode::CommunicationError);
    QCOMPARE(measured, (Result{1, 0, 0, MusicPreset}));
}

void tst_CategoryMemoryCommand::typesAreRegisteredUnderTheirNames() {
    midi::DeviceHandler handler;
    CategoryMemoryCommand command(&handler, Song);
    QCOMPARE(QByteArray(command.result().typeName()),
             QByteArray("zel::qmix::comm::CategoryMemoryCommandResult"));
    QCOMPARE(QMetaType::fromName("zel::qmix::comm::CategoryMemoryCommandResult"),
             QMetaType::fromType<Result>());
    QCOMPARE(QMetaType::fromName("zel::qmix::comm::CategoryMemoryCommandInfo"),
             QMetaType::fromType<Info>());
}

void tst_CategoryMemoryCommand::registeredQueryCarriesTheCallersFigures() {
    TransferKeyboard keyboard("category-memory-registered", data::Zq11Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    Receiver receiver;

    communicator.registerCategoryMemoryCommand(MusicPreset, Info{1000, 4}, &receiver,
                                               SLOT(onFinishCategoryMemoryLoad(QVariant)));

    QTRY_COMPARE_WITH_TIMEOUT(receiver.results.size(), 1, Patience);
    QCOMPARE(
        receiver.results.first(),
        (Result{0, 4000, data::Zq11Info::instance()->musicPresetMemoryCapacity(), MusicPreset}));
}

QTEST_GUILESS_MAIN(tst_CategoryMemoryCommand)
#include "tst_CategoryMemoryCommand.moc"
