#include "KeyboardFixture.h"
#include "ScriptedKeyboard.h"
#include "TransferKeyboard.h"

#include "comm/DataSizesGetCommand.h"
#include "comm/KeyboardCommunicator.h"
#include "data/KeyboardInfo.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "midi/DeviceHandler.h"

#include <QtTest>

#include <atomic>

using namespace zel::qmix;
using namespace zel::qmix::comm;

using Sizes = QList<unsigned>;
using Messages = QList<QByteArray>;

namespace {

constexpr int Patience = 30000;
// Short, so the cases that wait for a reply that never comes stay quick.
constexpr int ShortReplyTimeoutMs = 200;

constexpr int Tone = 3;
constexpr int Scale = 18;
constexpr int Song = 33;
constexpr int Rhythm = 36;
constexpr int EmptySong = 817;
constexpr int EmptyRhythm = 116;

QByteArray filled(int size) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(1 + i % 97);
    return data;
}

// Rhythm areas 0..9 of distinct sizes, so that the order of the list shows.
void storeTenRhythms(emu::KeyboardMemory& memory) {
    for (int area = 0; area < 10; ++area)
        memory.setAreaData(Rhythm, area, filled(200 + 10 * area));
}

Sizes tenRhythmSizes() {
    Sizes sizes;
    for (unsigned area = 0; area < 10; ++area)
        sizes << 200 + 10 * area;
    return sizes;
}

Sizes run(midi::DeviceHandler& handler, int category, unsigned first, unsigned last,
          CommandErrorCode::T* code) {
    DataSizesGetCommand command(&handler, category, first, last);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    command.execute();
    *code = command.errorCode();
    return command.result().value<Sizes>();
}

Messages bytesOf(const QList<ScriptedKeyboard::Received>& received) {
    Messages messages;
    for (const auto& message : received)
        messages << message.bytes;
    return messages;
}

class Receiver : public QObject {
    Q_OBJECT
public:
    QList<Sizes> results;
    // Kept, so that the values are released here, after the program's
    // threads are done with them (see TransferKeyboard).
    QVariantList kept;

public slots:
    void onFinishDataSizes(QVariant result) {
        kept << result;
        results << result.value<Sizes>();
    }
};

// Asks for data sizes from inside a running command.
class NestedQuery : public AbstractCommand {
public:
    explicit NestedQuery(KeyboardCommunicator* communicator)
        : AbstractCommand(communicator->deviceHandler())
        , communicator_(communicator) {}

    void proceed() override {
        sizes_ = communicator_->dataSizes(Song);
        answered_.store(true);
        fail();
    }
    QVariant result() const override { return {}; }
    bool needsConnection() const override { return false; }

    bool answered() const { return answered_.load(); }
    Sizes sizes() const { return sizes_; }

private:
    KeyboardCommunicator* communicator_;
    Sizes sizes_{1};
    std::atomic<bool> answered_{false};
};

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

} // namespace

class tst_DataSizesGetCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsTheRange_data();
    void readsTheRange();
    void stopsAtTheFirstAreaWithoutAnswer_data();
    void stopsAtTheFirstAreaWithoutAnswer();
    void asksAreaByArea();
    void emptyRange();
    void withoutKeyboard();
    void resultIsTheRegisteredListType();
    void dataSizesOfTheCurrentModel_data();
    void dataSizesOfTheCurrentModel();
    void dataSizesWithoutACategory();
    void dataSizesWithoutKeyboard();
    void registeredQueryAnswersTheCaller();
    void dataSizesOnTheCommunicationThreadDoesNotHang();
};

void tst_DataSizesGetCommand::initTestCase() {
    // Only the wire's test keyboards may be found: no sound server is asked.
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
}

void tst_DataSizesGetCommand::readsTheRange_data() {
    QTest::addColumn<unsigned>("first");
    QTest::addColumn<unsigned>("last");
    QTest::addColumn<Sizes>("expected");

    QTest::newRow("areas 0..9") << 0u << 9u << tenRhythmSizes();
    QTest::newRow("areas 4..6") << 4u << 6u << tenRhythmSizes().mid(4, 3);
    QTest::newRow("one area") << 7u << 7u << Sizes{270};
    QTest::newRow("empty areas hold their template")
        << 9u << 11u << Sizes{290, EmptyRhythm, EmptyRhythm};
}

void tst_DataSizesGetCommand::readsTheRange() {
    QFETCH(unsigned, first);
    QFETCH(unsigned, last);
    QFETCH(Sizes, expected);

    TransferKeyboard keyboard("data-sizes-keyboard", data::Zq11Info::instance(), {},
                              storeTenRhythms);
    midi::DeviceHandler handler;
    QVERIFY(handler.openMatching(keyboard.name(), keyboard.name()));
    CommandErrorCode::T code;

    const Sizes sizes = run(handler, Rhythm, first, last, &code);

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(sizes, expected);
    handler.disconnectDevice();
}

void tst_DataSizesGetCommand::stopsAtTheFirstAreaWithoutAnswer_data() {
    QTest::addColumn<int>("silentArea");

    QTest::newRow("first") << 0;
    QTest::newRow("area 3") << 3;
    QTest::newRow("last") << 9;
}

void tst_DataSizesGetCommand::stopsAtTheFirstAreaWithoutAnswer() {
    QFETCH(int, silentArea);

    // The keyboard counts what it receives from 1: the mode, the category,
    // then per area its number and the size request.
    emu::FaultPlan faults;
    faults.dropRepliesTo = emu::Occurrences::only({4 + 2 * silentArea});
    TransferKeyboard keyboard("data-sizes-silent-area", data::Zq11Info::instance(), faults,
                              storeTenRhythms);
    midi::DeviceHandler handler;
    QVERIFY(handler.openMatching(keyboard.name(), keyboard.name()));
    CommandErrorCode::T code;

    const Sizes sizes = run(handler, Rhythm, 0, 9, &code);

    QCOMPARE(sizes, tenRhythmSizes().mid(0, silentArea));
    QCOMPARE(code, CommandErrorCode::CommunicationError);
    // Nothing is asked after the silent area.
    QCOMPARE(keyboard.receivedCount(), 4 + 2 * silentArea);
    handler.disconnectDevice();
}

void tst_DataSizesGetCommand::asksAreaByArea() {
    KeyboardFixture fixture("data-sizes-order");
    QVERIFY(fixture.connected);
    fixture.keyboard->setAreaParameter(Song, 2, 31, {1000});
    fixture.keyboard->setAreaParameter(Song, 3, 31, {2000});
    CommandErrorCode::T code;

    const Sizes sizes = run(fixture.handler, Song, 2, 3, &code);

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(sizes, (Sizes{1000, 2000}));
    QCOMPARE(
        bytesOf(fixture.keyboard->received()),
        (Messages{parameterWrite(26, 2), parameterWrite(25, Song), parameterWrite(27, 2),
                  parameterRequest(31, 0, 0), parameterWrite(27, 3), parameterRequest(31, 0, 0)}));
}

void tst_DataSizesGetCommand::emptyRange() {
    KeyboardFixture fixture("data-sizes-empty");
    QVERIFY(fixture.connected);
    CommandErrorCode::T code;

    const Sizes sizes = run(fixture.handler, Song, 1, 0, &code);

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(sizes, Sizes{});
    QVERIFY(fixture.keyboard->requests().isEmpty());
}

void tst_DataSizesGetCommand::withoutKeyboard() {
    midi::DeviceHandler handler;
    CommandErrorCode::T code;

    const Sizes sizes = run(handler, Song, 0, 4, &code);

    QCOMPARE(code, CommandErrorCode::CommunicationError);
    QCOMPARE(sizes, Sizes{});
}

void tst_DataSizesGetCommand::resultIsTheRegisteredListType() {
    midi::DeviceHandler handler;
    DataSizesGetCommand command(&handler, Song, 0, 4);
    QCOMPARE(command.result().metaType(), QMetaType::fromType<Sizes>());
    QCOMPARE(QMetaType::fromName("QList<unsigned>"), QMetaType::fromType<Sizes>());
}

void tst_DataSizesGetCommand::dataSizesOfTheCurrentModel_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<Sizes>("expected");

    QTest::newRow("songs") << Song << Sizes{EmptySong, 3000, EmptySong, EmptySong, 1234};
    Sizes tones(100, 0);
    tones[5] = 50;
    QTest::newRow("tones: the tone areas only, not the drawbar ones") << Tone << tones;
    QTest::newRow("a category this model lacks") << Scale << Sizes{};
}

void tst_DataSizesGetCommand::dataSizesOfTheCurrentModel() {
    QFETCH(int, category);
    QFETCH(Sizes, expected);

    CurrentModel model(data::Zq11Info::instance());
    TransferKeyboard keyboard("data-sizes-blocking", data::Zq11Info::instance(), {},
                              [](emu::KeyboardMemory& memory) {
                                  memory.setAreaData(Song, 1, filled(3000));
                                  memory.setAreaData(Song, 4, filled(1234));
                                  memory.setAreaData(Tone, 5, filled(50));
                                  memory.setAreaData(Tone, 120, filled(60));
                              });
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());

    QCOMPARE(communicator.dataSizes(category), expected);
}

void tst_DataSizesGetCommand::dataSizesWithoutACategory() {
    CurrentModel model(data::Zq10Info::instance());
    TransferKeyboard keyboard("data-sizes-no-category", data::Zq10Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    Receiver receiver;

    QCOMPARE(communicator.dataSizes(20), Sizes{});
    QVERIFY(!communicator.registerDataSizesGetCommand(20, &receiver,
                                                      SLOT(onFinishDataSizes(QVariant))));
    // A query queued behind it answers, and nothing came before it.
    QCOMPARE(communicator.dataSizes(Song).size(), 5);
    QCoreApplication::processEvents();
    QVERIFY(receiver.results.isEmpty());
}

void tst_DataSizesGetCommand::dataSizesWithoutKeyboard() {
    CurrentModel model(data::Zq10Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching("no such keyboard", "no such keyboard"));
    QVERIFY(!communicator.isConnected());
    QElapsedTimer elapsed;
    elapsed.start();

    QCOMPARE(communicator.dataSizes(Song), Sizes{});
    // Without ports the query ends at once instead of waiting for each area.
    QVERIFY2(elapsed.elapsed() < 3500, qPrintable(QString::number(elapsed.elapsed())));
}

void tst_DataSizesGetCommand::registeredQueryAnswersTheCaller() {
    CurrentModel model(data::Zq10Info::instance());
    TransferKeyboard keyboard(
        "data-sizes-registered", data::Zq10Info::instance(), {},
        [](emu::KeyboardMemory& memory) { memory.setAreaData(Song, 0, filled(900)); });
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    Receiver receiver;

    QVERIFY(communicator.registerDataSizesGetCommand(Song, &receiver,
                                                     SLOT(onFinishDataSizes(QVariant))));

    QTRY_COMPARE_WITH_TIMEOUT(receiver.results.size(), 1, Patience);
    QCOMPARE(receiver.results.first(), (Sizes{900, EmptySong, EmptySong, EmptySong, EmptySong}));
}

void tst_DataSizesGetCommand::dataSizesOnTheCommunicationThreadDoesNotHang() {
    CurrentModel model(data::Zq10Info::instance());
    TransferKeyboard keyboard("data-sizes-nested", data::Zq10Info::instance());
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    const auto query = QSharedPointer<NestedQuery>::create(&communicator);
    QTest::ignoreMessage(QtWarningMsg,
                         "KeyboardCommunicator::dataSizes: called on the communication thread");

    communicator.registerCommand(query, KeyboardCommunicator::QueryLevel);

    QTRY_VERIFY_WITH_TIMEOUT(query->answered(), Patience);
    QCOMPARE(query->sizes(), Sizes{});
}

QTEST_GUILESS_MAIN(tst_DataSizesGetCommand)
#include "tst_DataSizesGetCommand.moc"
