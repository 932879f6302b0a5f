#include "KeyboardFixture.h"

#include "comm/SystemParameterCommand.h"

#include <QtTest>

#include <functional>

using namespace zel::qmix;
using namespace zel::qmix::comm;

using Values = QVector<qint32>;
using Messages = QList<QByteArray>;

namespace {

// Short, so the cases that wait for a reply that never comes stay quick.
constexpr int ShortReplyTimeoutMs = 200;

// Runs a piece of parameter traffic as the single step of a command.
class ParameterScript : public SystemParameterCommand {
public:
    using Body = std::function<void(ParameterScript&)>;

    ParameterScript(midi::DeviceHandler* handler, Body body)
        : SystemParameterCommand(handler)
        , body_(std::move(body)) {}

    void proceed() override {
        body_(*this);
        if (!isDone())
            fail();
    }
    QVariant result() const override { return {}; }

    using SystemParameterCommand::checkConnection;
    using SystemParameterCommand::readAreaName;
    using SystemParameterCommand::readAreaSizes;
    using SystemParameterCommand::requestParameter;
    using SystemParameterCommand::selectArea;
    using SystemParameterCommand::setParameter;

private:
    Body body_;
};

CommandErrorCode::T run(midi::DeviceHandler& handler, ParameterScript::Body body,
                        int replyTimeoutMs = ShortReplyTimeoutMs) {
    ParameterScript command(&handler, std::move(body));
    command.setReplyTimeoutMs(replyTimeoutMs);
    command.execute();
    return command.errorCode();
}

Messages bytesOf(const QList<ScriptedKeyboard::Received>& received) {
    Messages messages;
    for (const auto& message : received)
        messages << message.bytes;
    return messages;
}

Values text(const char* characters) {
    Values values;
    for (const char* c = characters; *c; ++c)
        values << *c;
    return values;
}

} // namespace

class tst_SystemParameterCommand : public QObject {
    Q_OBJECT

private slots:
    void requestParameter_data();
    void requestParameter();
    void setParameterSendsOneWrite();
    void selectAreaWritesCategoryModeArea();
    void readAllAreaSizes_data();
    void readAllAreaSizes();
    void readOneAreaSize();
    void readAreaName_data();
    void readAreaName();
    void replyToAnotherIdIsIgnoredUntilTimeOut();
    void unrelatedMessagesBeforeTheReplyAreSkipped();
    void staleReplyIsNeverTaken();
    void checkConnectionWithoutPorts();
    void requestWithoutPortsFailsAtOnce();
};

void tst_SystemParameterCommand::requestParameter_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("offset");
    QTest::addColumn<Values>("stored");
    QTest::addColumn<QByteArray>("expectedRequest");
    QTest::addColumn<Values>("expectedValues");

    QTest::newRow("presence probe") << 0 << 24 << 0 << Values{1}
                                    << QByteArray::fromHex("F03B2C017F00"
                                                           "000000000000000000000000"
                                                           "1800"
                                                           "0000"
                                                           "0000"
                                                           "F7")
                                    << Values{1};
    QTest::newRow("area count, 14 bits")
        << 0 << 35 << 0 << Values{300} << parameterRequest(35, 0, 0) << Values{300};
    QTest::newRow("free space, 32 bits")
        << 0 << 37 << 0 << Values{1000000} << parameterRequest(37, 0, 0) << Values{1000000};
    QTest::newRow("second name half") << 7 << 33 << 8 << text("ABCDEFGHIJKLMNOP")
                                      << parameterRequest(33, 8, 7) << text("IJKLMNOP");
}

void tst_SystemParameterCommand::requestParameter() {
    QFETCH(int, length);
    QFETCH(int, id);
    QFETCH(int, offset);
    QFETCH(Values, stored);
    QFETCH(QByteArray, expectedRequest);
    QFETCH(Values, expectedValues);

    KeyboardFixture fixture("param-request");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(id, stored);
    QVector<int> values;

    const auto code = run(fixture.handler, [&](ParameterScript& command) {
        values = command.requestParameter(length, id, offset);
    });

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(values, expectedValues);
    QCOMPARE(bytesOf(fixture.keyboard->received()), Messages{expectedRequest});
}

void tst_SystemParameterCommand::setParameterSendsOneWrite() {
    KeyboardFixture fixture("param-write");
    QVERIFY(fixture.connected);

    const auto code =
        run(fixture.handler, [](ParameterScript& command) { command.setParameter(25, 3); });

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(bytesOf(fixture.keyboard->received()),
             Messages{QByteArray::fromHex("F03B2C017F01"
                                          "000000000000000000000000"
                                          "1900"
                                          "0000"
                                          "0000"
                                          "03"
                                          "F7")});
}

void tst_SystemParameterCommand::selectAreaWritesCategoryModeArea() {
    KeyboardFixture fixture("param-select");
    QVERIFY(fixture.connected);

    run(fixture.handler, [](ParameterScript& command) { command.selectArea(33, 7); });

    QCOMPARE(bytesOf(fixture.keyboard->received()),
             (Messages{parameterWrite(25, 33), parameterWrite(26, 2), parameterWrite(27, 7)}));
}

void tst_SystemParameterCommand::readAllAreaSizes_data() {
    QTest::addColumn<int>("areaCount");
    QTest::addColumn<bool>("sizesUnanswered");
    QTest::addColumn<QList<int>>("expectedSizes");
    QTest::addColumn<Messages>("expectedMessages");
    QTest::addColumn<int>("expectedCode");

    const Messages head{parameterWrite(25, 3), parameterWrite(26, 2), parameterRequest(35, 0, 0)};
    QTest::newRow("no areas: no further requests")
        << 0 << false << QList<int>{} << head << int(CommandErrorCode::NoError);
    QTest::newRow("three areas") << 3 << false << QList<int>{10, 0, 300}
                                 << head +
                                        Messages{parameterWrite(27, 0), parameterRequest(31, 0, 0),
                                                 parameterWrite(27, 1), parameterRequest(31, 0, 0),
                                                 parameterWrite(27, 2), parameterRequest(31, 0, 0)}
                                 << int(CommandErrorCode::NoError);
    QTest::newRow("no size answer: empty, stops at once")
        << 3 << true << QList<int>{}
        << head + Messages{parameterWrite(27, 0), parameterRequest(31, 0, 0)}
        << int(CommandErrorCode::CommunicationError);
}

void tst_SystemParameterCommand::readAllAreaSizes() {
    QFETCH(int, areaCount);
    QFETCH(bool, sizesUnanswered);
    QFETCH(QList<int>, expectedSizes);
    QFETCH(Messages, expectedMessages);
    QFETCH(int, expectedCode);

    KeyboardFixture fixture("param-sizes");
    QVERIFY(fixture.connected);
    ScriptedKeyboard& keyboard = *fixture.keyboard;
    keyboard.setAreaParameter(3, -1, 35, {areaCount});
    keyboard.setAreaParameter(3, 0, 31, {10});
    keyboard.setAreaParameter(3, 1, 31, {0});
    keyboard.setAreaParameter(3, 2, 31, {300});
    if (sizesUnanswered)
        keyboard.setUnanswered({31});
    QList<int> sizes{-1};

    const auto code =
        run(fixture.handler, [&](ParameterScript& command) { sizes = command.readAreaSizes(3); });

    QCOMPARE(sizes, expectedSizes);
    QCOMPARE(bytesOf(keyboard.received()), expectedMessages);
    QCOMPARE(int(code), expectedCode);
}

void tst_SystemParameterCommand::readOneAreaSize() {
    KeyboardFixture fixture("param-size");
    QVERIFY(fixture.connected);
    fixture.keyboard->setAreaParameter(4, 9, 31, {1234});
    QList<int> sizes;

    const auto code = run(fixture.handler,
                          [&](ParameterScript& command) { sizes = command.readAreaSizes(4, 9); });

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(sizes, QList<int>{1234});
    QCOMPARE(bytesOf(fixture.keyboard->received()),
             (Messages{parameterWrite(25, 4), parameterWrite(26, 2), parameterWrite(27, 9),
                       parameterRequest(31, 0, 0)}));
}

void tst_SystemParameterCommand::readAreaName_data() {
    QTest::addColumn<Values>("stored");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<bool>("expectedOk");

    QTest::newRow("empty: first value 0") << Values(16, 0) << false << "" << true;
    QTest::newRow("16 characters")
        << text("Bossa Nova Intro") << false << "Bossa Nova Intro" << true;
    QTest::newRow("ends at the first 0")
        << text("Waltz") + Values{0} + text("ignoredIgnore") << false << "Waltz" << true;
    QTest::newRow("8-bit values are code units") << Values{0xE9, 't', 0xE9} + Values(13, 0) << false
                                                 << QString::fromUtf8("\u00e9t\u00e9") << true;
    QTest::newRow("no reply") << text("Bossa Nova Intro") << true << "" << false;
}

void tst_SystemParameterCommand::readAreaName() {
    QFETCH(Values, stored);
    QFETCH(bool, silent);
    QFETCH(QString, expectedName);
    QFETCH(bool, expectedOk);

    KeyboardFixture fixture("param-name");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(33, stored);
    if (silent)
        fixture.keyboard->setMode(ScriptedKeyboard::Mode::Silent);
    QString name("unset");
    bool ok = !expectedOk;

    const auto code =
        run(fixture.handler, [&](ParameterScript& command) { name = command.readAreaName(&ok); });

    QCOMPARE(name, expectedName);
    QVERIFY(!name.isNull());
    QCOMPARE(ok, expectedOk);
    QCOMPARE(code, expectedOk ? CommandErrorCode::NoError : CommandErrorCode::CommunicationError);
    const Messages expectedRequests =
        expectedOk ? Messages{parameterRequest(33, 0, 7), parameterRequest(33, 8, 7)}
                   : Messages{parameterRequest(33, 0, 7)};
    QCOMPARE(bytesOf(fixture.keyboard->received()), expectedRequests);
}

void tst_SystemParameterCommand::replyToAnotherIdIsIgnoredUntilTimeOut() {
    KeyboardFixture fixture("param-wrong-id");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(35, {5});
    fixture.keyboard->setParameter(36, {5});
    fixture.keyboard->setMode(ScriptedKeyboard::Mode::WrongId);
    QVector<int> values{-1};
    bool doneRightAfterRequest = false;

    const auto code = run(fixture.handler, [&](ParameterScript& command) {
        values = command.requestParameter(0, 35);
        doneRightAfterRequest = command.isDone();
    });

    QVERIFY(values.isEmpty());
    QVERIFY(doneRightAfterRequest);
    QCOMPARE(code, CommandErrorCode::CommunicationError);
}

void tst_SystemParameterCommand::unrelatedMessagesBeforeTheReplyAreSkipped() {
    KeyboardFixture fixture("param-noise");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(35, {6});
    fixture.keyboard->setNoiseBeforeAnswers({
        QByteArray::fromHex("F03B2C017F0A03020000F7"), // an ACK
        ScriptedKeyboard::reply(0, 36, 0, {99}),       // the answer to another request
        QByteArray::fromHex("F0411000F7"),             // another maker's message
    });
    QVector<int> values;

    const auto code = run(fixture.handler, [&](ParameterScript& command) {
        values = command.requestParameter(0, 35);
    });

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(values, QVector<int>{6});
}

void tst_SystemParameterCommand::staleReplyIsNeverTaken() {
    KeyboardFixture fixture("param-stale");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(35, {2});
    // An answer to the same request, left over from earlier traffic.
    fixture.keyboard->sendToProgram(ScriptedKeyboard::reply(0, 35, 0, {9}));
    QVector<int> values;

    const auto code = run(fixture.handler, [&](ParameterScript& command) {
        values = command.requestParameter(0, 35);
    });

    QCOMPARE(code, CommandErrorCode::NoError);
    QCOMPARE(values, QVector<int>{2});
}

void tst_SystemParameterCommand::checkConnectionWithoutPorts() {
    midi::DeviceHandler handler;
    bool connected = true;

    const auto code = run(handler, [&](ParameterScript& command) {
        connected = command.checkConnection();
        QVERIFY(command.isDone());
    });

    QVERIFY(!connected);
    QCOMPARE(code, CommandErrorCode::CommunicationError);
}

void tst_SystemParameterCommand::requestWithoutPortsFailsAtOnce() {
    midi::DeviceHandler handler;
    QVector<int> values{-1};
    QElapsedTimer elapsed;
    elapsed.start();

    const auto code = run(
        handler, [&](ParameterScript& command) { values = command.requestParameter(0, 35); },
        ParameterScript::DefaultReplyTimeoutMs);

    QVERIFY(values.isEmpty());
    QCOMPARE(code, CommandErrorCode::CommunicationError);
    // Far below the 4000 ms reply time-out: nothing can arrive without ports.
    QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
}

QTEST_GUILESS_MAIN(tst_SystemParameterCommand)
#include "tst_SystemParameterCommand.moc"
