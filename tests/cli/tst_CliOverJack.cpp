// The command-line front end against the stand-alone virtual keyboard on a
// private JACK server: every keyboard command on a first- and a
// second-generation model, and what happens when the keyboard refuses,
// disappears, or the user presses Ctrl-C. Run alone with `ctest -L jack`.
#include "CliRun.h"
#include "ItemFiles.h"
#include "PtyProcess.h"
#include "tests/support/JackServer.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

// Generous: JACK, the keyboard, the program and the test share a busy
// 2-core machine.
constexpr int kWaitMs = 120000;

QStringList lines(const QString& text) {
    QStringList split = text.split(QLatin1Char('\n'));
    if (!split.isEmpty() && split.constLast().isEmpty())
        split.removeLast();
    return split;
}

QString today() {
    return QDate::currentDate().toString(QStringLiteral("yyMMdd"));
}

} // namespace

class tst_CliOverJack : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void everyCommand_data();
    void everyCommand();
    void keyboardRefusalEndsWithCommunicationError();
    void lostBlockEndsWithCommunicationError_data();
    void lostBlockEndsWithCommunicationError();
    void failedBackupWritesNoFile();
    void keyboardGoneMidBackup();
    void interruptMidBackup();

private:
    // Starts the keyboard program with a port name of its own (JACK may
    // still be letting go of the previous one's).
    bool startKeyboard(const QString& model, const QStringList& faults = {});
    void stopKeyboard();
    QStringList withPorts(const QStringList& arguments) const;
    CliRun cli(const QStringList& arguments) const;
    QString work(const QString& name) const { return work_->filePath(name); }
    QString writeItem(const QString& name, const QByteArray& bytes) const;

    zel::qmix::testsupport::JackServer server_{QStringLiteral("th-cli-test")};
    std::unique_ptr<QProcess> keyboard_;
    std::unique_ptr<QTemporaryDir> work_;
    QString portName_;
    int runs_ = 0;
};

void tst_CliOverJack::initTestCase() {
    if (!zel::qmix::testsupport::JackServer::isInstalled())
        QSKIP("jackd is not installed");
    QString error;
    QVERIFY2(server_.start(&error), qPrintable(error));
}

void tst_CliOverJack::cleanupTestCase() {
    server_.stop();
}

void tst_CliOverJack::init() {
    work_ = std::make_unique<QTemporaryDir>();
    QVERIFY(work_->isValid());
}

void tst_CliOverJack::cleanup() {
    stopKeyboard();
}

bool tst_CliOverJack::startKeyboard(const QString& model, const QStringList& faults) {
    stopKeyboard();
    portName_ = QStringLiteral("CLI Test Keyboard %1").arg(++runs_);
    keyboard_ = std::make_unique<QProcess>();
    keyboard_->setReadChannel(QProcess::StandardOutput);
    keyboard_->start(QStringLiteral(TH_KEYBOARD_PROGRAM),
                     QStringList{"--model", model, "--state", work("state"), "--name", portName_} +
                         faults);
    bool ready = keyboard_->waitForStarted(kWaitMs);
    while (ready && !keyboard_->canReadLine())
        ready = keyboard_->waitForReadyRead(kWaitMs);
    ready = ready && keyboard_->readLine() == "READY\n";
    if (!ready)
        qWarning("the keyboard did not start: %s", keyboard_->readAllStandardError().constData());
    return ready;
}

void tst_CliOverJack::stopKeyboard() {
    if (!keyboard_)
        return;
    if (keyboard_->state() != QProcess::NotRunning) {
        ::kill(pid_t(keyboard_->processId()), SIGTERM);
        if (!keyboard_->waitForFinished(kWaitMs))
            keyboard_->kill();
        keyboard_->waitForFinished(kWaitMs);
    }
    keyboard_.reset();
}

QStringList tst_CliOverJack::withPorts(const QStringList& arguments) const {
    return QStringList{"--in", portName_, "--out", portName_} + arguments;
}

CliRun tst_CliOverJack::cli(const QStringList& arguments) const {
    return CliRun::run(withPorts(arguments), QProcessEnvironment::systemEnvironment(), kWaitMs);
}

QString tst_CliOverJack::writeItem(const QString& name, const QByteArray& bytes) const {
    const QString path = work(name);
    if (!ItemFiles::write(path, bytes))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

void tst_CliOverJack::everyCommand_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("songVersion");
    QTest::newRow("first generation") << "PRV-1100" << 0;
    // The second-generation model with the smallest backup.
    QTest::newRow("second generation") << "PRV-3100" << 1;
}

void tst_CliOverJack::everyCommand() {
    QFETCH(QString, model);
    QFETCH(int, songVersion);
    QVERIFY(startKeyboard(model));

    CliRun run = CliRun::run({"identify"}, QProcessEnvironment::systemEnvironment(), kWaitMs);
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), model);

    run = cli({"list", "RHYTHM"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(lines(run.out).size(), 10);
    QCOMPARE(lines(run.out).first(), QStringLiteral("1\t0\t0\t"));
    run = cli({"memory", "SEQUENCER"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QStringLiteral("0\t61423\t0"));

    // Send and receive, byte for byte.
    const QByteArray song = ItemFiles::song(model.toLatin1(), songVersion, "Jack Song", 4000);
    run = cli({"send", writeItem("s.CMS", song), "3"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = cli({"receive", "SEQUENCER", "3", "-d", work("in")});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QDir(work("in")).filePath("Jack Song.CMS"));
    QCOMPARE(ItemFiles::read(run.line()), song);
    run = cli({"memory", "SEQUENCER"});
    QCOMPARE(run.line(), QStringLiteral("3183\t61423\t5"));

    // Backup, delete, restore: the song is back.
    run = cli({"backup", "-d", work("backups")});
    QVERIFY2(run.exitCode == 0, run.describe());
    const QString backup = run.line();
    QCOMPARE(backup,
             QDir(work("backups")).filePath(QStringLiteral("%1_%2.AL7").arg(model, today())));
    run = cli({"delete", "SEQUENCER", "3"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = cli({"list", "SEQUENCER"});
    QCOMPARE(lines(run.out).at(2), QStringLiteral("3\t0\t0\t"));
    run = cli({"restore", backup, "--yes"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = cli({"list", "SEQUENCER"});
    QCOMPARE(lines(run.out).at(2), QStringLiteral("3\t1\t4000\tJack Song"));

    // A package replaces the song and fills a rhythm area.
    const QByteArray rhythm = ItemFiles::rhythm("Jack Beat", 1500);
    const QByteArray other = ItemFiles::song(model.toLatin1(), songVersion, "Other Song", 2000);
    const QString package = work("j.PK7");
    run = CliRun::run({"package", "new", package, "--model", model,
                       "RHYTHM:10=" + writeItem("b.AC7", rhythm),
                       "SEQUENCER:3=" + writeItem("o.CMS", other)});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = cli({"package", "send", package, "--yes"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = cli({"receive", "RHYTHM", "10", "-d", work("in2")});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(ItemFiles::read(run.line()), rhythm);
    run = cli({"receive", "SEQUENCER", "3", "-d", work("in2")});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(ItemFiles::read(run.line()), other);
}

void tst_CliOverJack::keyboardRefusalEndsWithCommunicationError() {
    // The keyboard answers RJC instead of its second acknowledgement.
    QVERIFY(startKeyboard("PRV-3100", {"--reject-ack", "2"}));
    const CliRun run = cli({"send", writeItem("r.AC7", ItemFiles::rhythm("No", 1000)), "1"});
    QVERIFY2(run.exitCode == 11, run.describe());
    QVERIFY2(run.err.contains("Communication Error"), run.describe());
}

void tst_CliOverJack::lostBlockEndsWithCommunicationError_data() {
    QTest::addColumn<QString>("model");
    QTest::newRow("first generation") << "PRV-1100";
    QTest::newRow("second generation") << "PRV-2100";
}

// The keyboard never sees the data's second block (the picture takes the
// first two) and stores the rest as if it were whole.
void tst_CliOverJack::lostBlockEndsWithCommunicationError() {
    QFETCH(QString, model);
    QVERIFY(startKeyboard(model, {"--lose-block", "4"}));
    const QByteArray dsp = ItemFiles::common("DS7F", model.toLatin1(), 0, 700);
    const CliRun run = cli({"send", writeItem("d.DS7", dsp), "101"});
    QVERIFY2(run.exitCode == 11, run.describe());
    QVERIFY2(run.err.contains("Communication Error"), run.describe());
}

void tst_CliOverJack::failedBackupWritesNoFile() {
    QVERIFY(startKeyboard("PRV-1100", {"--reject-ack", "40"}));
    CliRun run = cli({"backup", "-d", work("backups")});
    QVERIFY2(run.exitCode == 11, run.describe());
    QVERIFY(QDir(work("backups")).isEmpty());

    // A receive the keyboard breaks off at its third acknowledgement.
    QVERIFY(startKeyboard("PRV-1100"));
    run = cli({"send", writeItem("r.AC7", ItemFiles::rhythm("R", 1000)), "1"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY(startKeyboard("PRV-1100", {"--reject-ack", "3"}));
    run = cli({"receive", "RHYTHM", "1", "-d", work("in")});
    QVERIFY2(run.exitCode == 11, run.describe());
    QVERIFY(QDir(work("in")).isEmpty());
}

void tst_CliOverJack::keyboardGoneMidBackup() {
    QVERIFY(startKeyboard("PRV-1100"));
    PtyProcess terminal;
    QVERIFY(terminal.start(TH_CLI_PATH, withPorts({"backup", "-d", work("backups")}),
                           QProcessEnvironment::systemEnvironment()));
    QVERIFY2(terminal.waitForMatch("Receiving Backup Data    \\([1-9][0-9]?%\\)", kWaitMs),
             terminal.output().constData());
    keyboard_->kill();
    keyboard_->waitForFinished(kWaitMs);
    QElapsedTimer timer;
    timer.start();
    const int status = terminal.waitForExit(kWaitMs);
    // Every reply may fail four times, 4 s each, before the command gives up.
    QVERIFY2(timer.elapsed() < 4 * 4000 + 6000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(status == 11 || status == 14, terminal.output().constData());
    QVERIFY2(terminal.output().contains("Communication Error"), terminal.output().constData());
    QVERIFY(QDir(work("backups")).isEmpty());
}

void tst_CliOverJack::interruptMidBackup() {
    QVERIFY(startKeyboard("PRV-1100"));
    PtyProcess terminal;
    QVERIFY(terminal.start(TH_CLI_PATH, withPorts({"backup", "-d", work("backups")}),
                           QProcessEnvironment::systemEnvironment()));
    QVERIFY2(terminal.waitForMatch("Receiving Backup Data    \\([1-9][0-9]?%\\)", kWaitMs),
             terminal.output().constData());
    terminal.type("\x03");
    QCOMPARE(terminal.waitForExit(kWaitMs), 130);
    QVERIFY(QDir(work("backups")).isEmpty());

    // The keyboard left its transfer: it answers the next command at once.
    const CliRun run = cli({"list", "RHYTHM"});
    QVERIFY2(run.exitCode == 0, run.describe());
}

QTEST_GUILESS_MAIN(tst_CliOverJack)
#include "tst_CliOverJack.moc"
