#include "KeyboardFixture.h"
#include "ScriptedKeyboard.h"
#include "TransferKeyboard.h"

#include "comm/AreaDataCommand.h"
#include "comm/KeyboardCommunicator.h"
#include "data/Zq11Info.h"
#include "midi/DeviceHandler.h"

#include <QtTest>

using namespace zel::qmix;
using namespace zel::qmix::comm;

using Messages = QList<QByteArray>;

namespace {

constexpr int Patience = 30000;
// Short, so the cases that wait for a reply that never comes stay quick.
constexpr int ShortReplyTimeoutMs = 200;

constexpr int Song = 33;
constexpr int Rhythm = 36;
constexpr int MusicPreset = 37;

// A song as the keyboard keeps it: the model's empty song with a name of its
// own and `size` bytes in all.
QByteArray song(int area, const QByteArray& name, int size) {
    QByteArray data = data::Zq11Info::instance()->emptyData(Song, area);
    data.replace(10, 12, name.leftJustified(12, ' ', true));
    const int templateSize = int(data.size());
    data.resize(size);
    for (int i = templateSize; i < size; ++i)
        data[i] = char(i % 101);
    return data;
}

QByteArray rhythmWithoutName(int size) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(1 + i % 89);
    return data;
}

AreaData run(midi::DeviceHandler& handler, int category, int area, CommandErrorCode::T* code) {
    AreaDataCommand command(&handler, category, area);
    command.setReplyTimeoutMs(ShortReplyTimeoutMs);
    command.execute();
    *code = command.errorCode();
    return command.result().value<AreaData>();
}

Messages bytesOf(const QList<ScriptedKeyboard::Received>& received) {
    Messages messages;
    for (const auto& message : received)
        messages << message.bytes;
    return messages;
}

QVector<qint32> text(const char* characters) {
    QVector<qint32> values;
    for (const char* c = characters; *c; ++c)
        values << *c;
    return values;
}

class Receiver : public QObject {
    Q_OBJECT
public:
    QList<AreaData> results;
    QList<QThread*> threads;
    // Kept, so that the values are released here, after the program's
    // threads are done with them (see TransferKeyboard).
    QVariantList kept;

public slots:
    void onFinishAreaDataLoad(QVariant result) {
        kept << result;
        results << result.value<AreaData>();
        threads << QThread::currentThread();
    }
};

} // namespace

namespace QTest {
template <> char* toString(const AreaData& data) {
    return qstrdup(
        QString("AreaData{failed %1, category %2, area %3, used %4, name \"%5\", size %6}")
            .arg(data.failed)
            .arg(data.category)
            .arg(data.areaNumber)
            .arg(data.used)
            .arg(data.name)
            .arg(data.size)
            .toUtf8()
            .constData());
}
} // namespace QTest

class tst_AreaDataCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readsTheArea_data();
    void readsTheArea();
    void asksInTheKeyboardsOrder_data();
    void asksInTheKeyboardsOrder();
    void failedRead_data();
    void failedRead();
    void withoutKeyboard();
    void resultIsARegisteredType();
    void registeredQueryAnswersTheCallerOnItsThread();
};

void tst_AreaDataCommand::initTestCase() {
    // Only the wire's test keyboards may be found: no sound server is asked.
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
}

void tst_AreaDataCommand::readsTheArea_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("area");
    QTest::addColumn<AreaData>("expected");

    QTest::newRow("empty song area (its template only)")
        << Song << 2 << AreaData{0, Song, 2, false, QString(), 0};
    QTest::newRow("song in use") << Song << 1 << AreaData{0, Song, 1, true, "Evening", 2000};
    QTest::newRow("song with a 12-character name")
        << Song << 4 << AreaData{0, Song, 4, true, "Twelve Chars", 1000};
    QTest::newRow("rhythm named after its area")
        << Rhythm << 3 << AreaData{0, Rhythm, 3, true, "Rhythm 4", 700};
    QTest::newRow("empty rhythm area")
        << Rhythm << 9 << AreaData{0, Rhythm, 9, false, QString(), 0};
    QTest::newRow("empty music preset area")
        << MusicPreset << 0 << AreaData{0, MusicPreset, 0, false, QString(), 0};
}

void tst_AreaDataCommand::readsTheArea() {
    QFETCH(int, category);
    QFETCH(int, area);
    QFETCH(AreaData, expected);

    TransferKeyboard keyboard("area-data-keyboard", data::Zq11Info::instance(), {},
                              [](emu::KeyboardMemory& memory) {
                                  memory.setAreaData(Song, 1, song(1, "Evening", 2000));
                                  memory.setAreaData(Song, 4, song(4, "Twelve Chars", 1000));
                                  memory.setAreaData(Rhythm, 3, rhythmWithoutName(700));
                              });
    midi::DeviceHandler handler;
    QVERIFY(handler.openMatching(keyboard.name(), keyboard.name()));
    CommandErrorCode::T code;

    const AreaData read = run(handler, category, area, &code);

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(read, expected);
    handler.disconnectDevice();
}

void tst_AreaDataCommand::asksInTheKeyboardsOrder_data() {
    QTest::addColumn<int>("used");
    QTest::addColumn<Messages>("expected");

    const Messages selection{parameterWrite(26, 2), parameterWrite(25, Song), parameterWrite(27, 3),
                             parameterRequest(29, 0, 0)};
    QTest::newRow("empty: nothing more") << 0 << selection;
    QTest::newRow("used: name in two halves, then size")
        << 1
        << selection + Messages{parameterRequest(33, 0, 7), parameterRequest(33, 8, 7),
                                parameterRequest(31, 0, 0)};
}

void tst_AreaDataCommand::asksInTheKeyboardsOrder() {
    QFETCH(int, used);
    QFETCH(Messages, expected);

    KeyboardFixture fixture("area-data-order");
    QVERIFY(fixture.connected);
    fixture.keyboard->setAreaParameter(Song, 3, 29, {used});
    fixture.keyboard->setAreaParameter(Song, 3, 33, text("Waltz"));
    fixture.keyboard->setAreaParameter(Song, 3, 31, {1234});
    CommandErrorCode::T code;

    const AreaData read = run(fixture.handler, Song, 3, &code);

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(bytesOf(fixture.keyboard->received()), expected);
    const AreaData expectedData = used ? AreaData{0, Song, 3, true, "Waltz", 1234}
                                       : AreaData{0, Song, 3, false, QString(), 0};
    QCOMPARE(read, expectedData);
}

void tst_AreaDataCommand::failedRead_data() {
    QTest::addColumn<int>("silentId");
    QTest::addColumn<bool>("expectedUsed");
    QTest::addColumn<QString>("expectedName");

    QTest::newRow("no answer whether used") << 29 << false << "";
    QTest::newRow("no name") << 33 << true << "";
    QTest::newRow("no size") << 31 << true << "Waltz";
}

void tst_AreaDataCommand::failedRead() {
    QFETCH(int, silentId);
    QFETCH(bool, expectedUsed);
    QFETCH(QString, expectedName);

    KeyboardFixture fixture("area-data-failure");
    QVERIFY(fixture.connected);
    fixture.keyboard->setAreaParameter(Rhythm, 5, 29, {1});
    fixture.keyboard->setAreaParameter(Rhythm, 5, 33, text("Waltz"));
    fixture.keyboard->setAreaParameter(Rhythm, 5, 31, {1234});
    fixture.keyboard->setUnanswered({silentId});
    CommandErrorCode::T code;

    const AreaData read = run(fixture.handler, Rhythm, 5, &code);

    QCOMPARE(code, CommandErrorCode::CommunicationError);
    QCOMPARE(read, (AreaData{1, Rhythm, 5, expectedUsed, expectedName, 0}));
}

void tst_AreaDataCommand::withoutKeyboard() {
    midi::DeviceHandler handler;
    CommandErrorCode::T code;

    const AreaData read = run(handler, Song, 0, &code);

    QCOMPARE(code, CommandErrorCode::CommunicationError);
    QCOMPARE(read, (AreaData{1, Song, 0, false, QString(), 0}));
}

void tst_AreaDataCommand::resultIsARegisteredType() {
    midi::DeviceHandler handler;
    AreaDataCommand command(&handler, Song, 0);
    QCOMPARE(QByteArray(command.result().typeName()), QByteArray("zel::qmix::comm::AreaData"));
    QCOMPARE(QMetaType::fromName("zel::qmix::comm::AreaData"), QMetaType::fromType<AreaData>());
}

void tst_AreaDataCommand::registeredQueryAnswersTheCallerOnItsThread() {
    TransferKeyboard keyboard(
        "area-data-registered", data::Zq11Info::instance(), {},
        [](emu::KeyboardMemory& memory) { memory.setAreaData(Song, 0, song(0, "Morning", 900)); });
    KeyboardCommunicator communicator(PortChoice::matching(keyboard.name(), keyboard.name()));
    QVERIFY(communicator.isConnected());
    Receiver receiver;

    communicator.registerAreaDataCommand(Song, 0, 2, &receiver,
                                         SLOT(onFinishAreaDataLoad(QVariant)));
    communicator.registerAreaDataCommand(Song, 1, 3, &receiver,
                                         SLOT(onFinishAreaDataLoad(QVariant)));

    QTRY_COMPARE_WITH_TIMEOUT(receiver.results.size(), 2, Patience);
    QCOMPARE(receiver.results, (QList<AreaData>{AreaData{0, Song, 0, true, "Morning", 900},
                                                AreaData{0, Song, 1, false, QString(), 0}}));
    QCOMPARE(receiver.threads,
             (QList<QThread*>{QThread::currentThread(), QThread::currentThread()}));
}

QTEST_GUILESS_MAIN(tst_AreaDataCommand)
#include "tst_AreaDataCommand.moc"
