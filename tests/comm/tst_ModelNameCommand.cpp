#include "KeyboardFixture.h"

#include "comm/ModelNameCommand.h"

#include <QtTest>

using namespace zel::qmix;
using namespace zel::qmix::comm;

using Values = QVector<qint32>;

class tst_ModelNameCommand : public QObject {
    Q_OBJECT

private slots:
    void name_data();
    void name();
    void noKeyboardFailsAtOnceWithEmptyName();
    void silentKeyboardFailsWithEmptyName();
};

void tst_ModelNameCommand::name_data() {
    QTest::addColumn<Values>("values");
    QTest::addColumn<QString>("expected");

    QTest::newRow("eight characters") << Values{80, 82, 86, 45, 49, 49, 48, 48} << "PRV-1100";
    QTest::newRow("0 at position 5 ends the name")
        << Values{81, 83, 45, 49, 32, 0, 70, 70} << "QS-1 ";
    QTest::newRow("0 first") << Values{0, 80, 82, 86, 45, 49, 49, 48} << "";
    QTest::newRow("trailing blanks are kept")
        << Values{76, 77, 45, 52, 49, 48, 48, 32} << "LM-4100 ";
}

void tst_ModelNameCommand::name() {
    QFETCH(Values, values);
    QFETCH(QString, expected);

    KeyboardFixture fixture("model-name");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(0, values);
    ModelNameCommand command(&fixture.handler);
    QStringList seen;
    connect(&command, qOverload<QString>(&AbstractCommand::finished), this,
            [&](const QString& name) { seen << "string " + name; });
    connect(&command, qOverload<QVariant>(&AbstractCommand::finished), this,
            [&](const QVariant& name) { seen << "variant " + name.toString(); });

    command.execute();

    QCOMPARE(command.errorCode(), CommandErrorCode::NoError);
    QCOMPARE(command.result().toString(), expected);
    QCOMPARE(seen, QStringList({"string " + expected, "variant " + expected}));
    const auto requests = fixture.keyboard->requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests.first().bytes, parameterRequest(0, 0, 7));
}

void tst_ModelNameCommand::noKeyboardFailsAtOnceWithEmptyName() {
    midi::DeviceHandler handler;
    ModelNameCommand command(&handler);
    QSignalSpy names(&command, qOverload<QString>(&AbstractCommand::finished));
    QElapsedTimer elapsed;
    elapsed.start();

    command.execute();

    QCOMPARE(command.errorCode(), CommandErrorCode::CommunicationError);
    QCOMPARE(names.count(), 1);
    QCOMPARE(names.first().first().toString(), QString(""));
    // No reply time-out is waited for.
    QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
}

void tst_ModelNameCommand::silentKeyboardFailsWithEmptyName() {
    KeyboardFixture fixture("model-name-silent");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(0, {80, 82, 86, 45, 49, 49, 48, 48});
    fixture.keyboard->setMode(ScriptedKeyboard::Mode::Silent);
    ModelNameCommand command(&fixture.handler);
    command.setReplyTimeoutMs(200);
    QSignalSpy names(&command, qOverload<QString>(&AbstractCommand::finished));

    command.execute();

    QCOMPARE(command.errorCode(), CommandErrorCode::CommunicationError);
    QCOMPARE(names.count(), 1);
    QCOMPARE(names.first().first().toString(), QString(""));
}

QTEST_GUILESS_MAIN(tst_ModelNameCommand)
#include "tst_ModelNameCommand.moc"
