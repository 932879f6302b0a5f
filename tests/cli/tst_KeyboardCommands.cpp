// The commands that talk to a keyboard, run as a separate process against the
// built-in virtual keyboard and against no keyboard at all.
#include <QtTest>

class tst_KeyboardCommands : public QObject {
    Q_OBJECT

private slots:
    void identify_data();
    void identify();
    void exitStatus_data();
    void exitStatus();

private:
    struct Run {
        int exitCode;
        QString out;
        QString err;
    };
    static Run cli(const QStringList& arguments);
};

tst_KeyboardCommands::Run tst_KeyboardCommands::cli(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No MIDI server of the surroundings may answer in place of the one tested.
    environment.insert(
        QStringLiteral("JACK_DEFAULT_SERVER"),
        QStringLiteral("toneharbour-no-server-%1").arg(QCoreApplication::applicationPid()));
    environment.insert(QStringLiteral("JACK_NO_START_SERVER"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TH_CLI_PATH), arguments);
    if (!process.waitForFinished(60000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void tst_KeyboardCommands::identify_data() {
    QTest::addColumn<QString>("model");
    for (const char* model : {"PRV-1100", "PRV-3200", "QS-1", "LM-5200"})
        QTest::newRow(model) << QString::fromLatin1(model);
}

void tst_KeyboardCommands::identify() {
    QFETCH(QString, model);
    const Run run = cli({"--emulate", model, "identify"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(run.out, model + QLatin1Char('\n'));
}

void tst_KeyboardCommands::exitStatus_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("expected");
    QTest::newRow("no keyboard answers") << QStringList{"identify"} << 11;
    QTest::newRow("no ports match the patterns")
        << QStringList{"--in", "nothing-like-this", "--out", "nothing-like-this", "identify"} << 11;
    QTest::newRow("unknown emulated model")
        << QStringList{"--emulate", "PRV-9999", "identify"} << 2;
    QTest::newRow("--in without --out") << QStringList{"--in", "x", "identify"} << 2;
    QTest::newRow("option without value") << QStringList{"--emulate"} << 2;
    QTest::newRow("identify with an argument")
        << QStringList{"--emulate", "PRV-1100", "identify", "now"} << 2;
}

void tst_KeyboardCommands::exitStatus() {
    QFETCH(QStringList, arguments);
    const Run run = cli(arguments);
    QTEST(run.exitCode, "expected");
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.isEmpty());
}

QTEST_GUILESS_MAIN(tst_KeyboardCommands)
#include "tst_KeyboardCommands.moc"
