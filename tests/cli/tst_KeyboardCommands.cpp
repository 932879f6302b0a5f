// The commands that talk to a keyboard, run as a separate process against the
// built-in virtual keyboard (which keeps its memory in a folder between runs)
// and against no keyboard at all.
#include "CliRun.h"
#include "ItemFiles.h"
#include "PtyProcess.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

QString today() {
    return QDate::currentDate().toString(QStringLiteral("yyMMdd"));
}

// The lines "number, used, size, name" a new keyboard lists for a category.
QStringList emptyListing(int first, int count) {
    QStringList lines;
    for (int number = first; number < first + count; ++number)
        lines.append(QStringLiteral("%1\t0\t0\t").arg(number));
    return lines;
}

QStringList lines(const QString& text) {
    QStringList split = text.split(QLatin1Char('\n'));
    if (!split.isEmpty() && split.constLast().isEmpty())
        split.removeLast();
    return split;
}

} // namespace

class tst_KeyboardCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void identify_data();
    void identify();
    void exitStatus_data();
    void exitStatus();
    void usageErrorsNeedTheModel_data();
    void usageErrorsNeedTheModel();
    void helpListsEveryCommand();

    void listOfANewKeyboard_data();
    void listOfANewKeyboard();
    void memoryFollowsWhatIsStored();
    void roundTrip_data();
    void roundTrip();
    void receivedNamesAreSafeAndFree();
    void receiveWithoutFolderUsesTheMainDataFolder();
    void receiveIntoAnUnwritableFolderTouchesNothing();
    void failedReceiveWritesNoFile();
    void occupiedAreaIsReplacedOnlyWhenAgreed();
    void sendRefusesUnsuitableFiles_data();
    void sendRefusesUnsuitableFiles();
    void keyboardRefusalIsACommunicationError();
    void lostBlockFailsTheSend_data();
    void lostBlockFailsTheSend();
    void deleteClearsTheArea_data();
    void deleteClearsTheArea();
    void backupAndRestore_data();
    void backupAndRestore();
    void restoreAsksFirst();
    void restoreRefusesAnotherModelsBackup();
    void packageRoundTrip_data();
    void packageRoundTrip();
    void packageRefusals();
    void noProgressWithoutATerminal();

    void terminalQuestion_data();
    void terminalQuestion();
    void terminalShowsProgress();
    void interruptCancelsTheBackup();
    void interruptedRestoreLeavesTheKeyboardAsItWas();
    void secondInterruptEndsAtOnce();

private:
    // Runs against the built-in keyboard of `model`, whose memory is kept in
    // this test function's state folder.
    CliRun kb(const QString& model, const QStringList& arguments,
              const QString& keyboardOptions = QString());
    QStringList kbArguments(const QString& model, const QStringList& arguments,
                            const QString& keyboardOptions = QString()) const;
    QString work(const QString& name) const { return work_->filePath(name); }
    QString writeItem(const QString& name, const QByteArray& bytes);
    QStringList filesIn(const QString& folder) const;

    std::unique_ptr<QTemporaryDir> state_;
    std::unique_ptr<QTemporaryDir> work_;
};

void tst_KeyboardCommands::init() {
    state_ = std::make_unique<QTemporaryDir>();
    work_ = std::make_unique<QTemporaryDir>();
    QVERIFY(state_->isValid() && work_->isValid());
}

QStringList tst_KeyboardCommands::kbArguments(const QString& model, const QStringList& arguments,
                                              const QString& keyboardOptions) const {
    QStringList all{"--emulate", model, "--emulate-state", state_->path()};
    if (!keyboardOptions.isEmpty())
        all << "--emulate-options" << keyboardOptions;
    return all + arguments;
}

CliRun tst_KeyboardCommands::kb(const QString& model, const QStringList& arguments,
                                const QString& keyboardOptions) {
    return CliRun::run(kbArguments(model, arguments, keyboardOptions));
}

QString tst_KeyboardCommands::writeItem(const QString& name, const QByteArray& bytes) {
    const QString path = work(name);
    if (!ItemFiles::write(path, bytes))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

QStringList tst_KeyboardCommands::filesIn(const QString& folder) const {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void tst_KeyboardCommands::identify_data() {
    QTest::addColumn<QString>("model");
    for (const char* model : {"PRV-1100", "PRV-3200", "QS-1", "LM-5200"})
        QTest::newRow(model) << QString::fromLatin1(model);
}

void tst_KeyboardCommands::identify() {
    QFETCH(QString, model);
    const CliRun run = CliRun::run({"--emulate", model, "identify"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.out, model + QLatin1Char('\n'));
}

void tst_KeyboardCommands::exitStatus_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("expected");
    QTest::newRow("no keyboard answers") << QStringList{"identify"} << 11;
    QTest::newRow("no keyboard to list") << QStringList{"list", "RHYTHM"} << 11;
    QTest::newRow("no keyboard to back up") << QStringList{"backup", "-d", "."} << 11;
    QTest::newRow("no ports match the patterns")
        << QStringList{"--in", "nothing-like-this", "--out", "nothing-like-this", "identify"} << 11;
    QTest::newRow("unknown emulated model")
        << QStringList{"--emulate", "PRV-9999", "identify"} << 2;
    QTest::newRow("--in without --out") << QStringList{"--in", "x", "identify"} << 2;
    QTest::newRow("option without value") << QStringList{"--emulate"} << 2;
    QTest::newRow("keyboard options without --emulate")
        << QStringList{"--emulate-options", "--delay 5", "identify"} << 2;
    QTest::newRow("unknown keyboard option")
        << QStringList{"--emulate", "QS-1", "--emulate-options", "--frobnicate", "identify"} << 2;
    QTest::newRow("identify with an argument")
        << QStringList{"--emulate", "PRV-1100", "identify", "now"} << 2;
    QTest::newRow("list without category") << QStringList{"--emulate", "QS-1", "list"} << 2;
    QTest::newRow("receive without area")
        << QStringList{"--emulate", "QS-1", "receive", "RHYTHM"} << 2;
    QTest::newRow("receive with unknown option")
        << QStringList{"--emulate", "QS-1", "receive", "RHYTHM", "1", "-x"} << 2;
    QTest::newRow("-d without folder") << QStringList{"--emulate", "QS-1", "backup", "-d"} << 2;
    QTest::newRow("send without area") << QStringList{"--emulate", "QS-1", "send", "a.AC7"} << 2;
    QTest::newRow("restore of two files")
        << QStringList{"--emulate", "QS-1", "restore", "a.AL7", "b.AL7"} << 2;
    QTest::newRow("package without subcommand") << QStringList{"package"} << 2;
    QTest::newRow("package unknown subcommand") << QStringList{"package", "mail", "x.PK7"} << 2;
    QTest::newRow("package check with --yes")
        << QStringList{"--emulate", "QS-1", "package", "check", "x.PK7", "--yes"} << 2;
    QTest::newRow("package new without model")
        << QStringList{"package", "new", "x.PK7", "RHYTHM:1=a.AC7"} << 2;
}

void tst_KeyboardCommands::exitStatus() {
    QFETCH(QStringList, arguments);
    const CliRun run = CliRun::run(arguments);
    QTEST(run.exitCode, "expected");
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.isEmpty());
}

void tst_KeyboardCommands::usageErrorsNeedTheModel_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown category") << "PRV-1100" << QStringList{"list", "BEATS"} << "BEATS";
    QTest::newRow("category the model lacks")
        << "PRV-1100" << QStringList{"list", "drawbar"} << "no Drawbar Organ areas";
    QTest::newRow("scale only on QS models")
        << "PRV-3200" << QStringList{"receive", "SCALE", "1"} << "no Scale Memory areas";
    QTest::newRow("area above the range")
        << "PRV-1100" << QStringList{"receive", "RHYTHM", "11"} << "1 to 10";
    QTest::newRow("area below the range")
        << "PRV-1100" << QStringList{"receive", "RHYTHM", "0"} << "1 to 10";
    QTest::newRow("DSP areas count from 101")
        << "PRV-1100" << QStringList{"receive", "DSP", "100"} << "101 to 200";
    QTest::newRow("drawbar areas count from 51")
        << "PRV-1200" << QStringList{"delete", "DRAWBAR", "50"} << "51 to 100";
    QTest::newRow("area is no number")
        << "PRV-1100" << QStringList{"receive", "RHYTHM", "three"} << "three";
    QTest::newRow("whole keyboard is no category")
        << "PRV-1100" << QStringList{"list", "ALL"} << "backup";
    QTest::newRow("memory of a category without its own")
        << "PRV-1100" << QStringList{"memory", "RHYTHM"} << "no memory of their own";
    QTest::newRow("tones cannot be deleted")
        << "PRV-1100" << QStringList{"delete", "TONE", "1"} << "cannot be cleared";
    QTest::newRow("send to an area out of range")
        << "PRV-1100" << QStringList{"send", "x.AC7", "11"} << "1 to 10";
}

void tst_KeyboardCommands::usageErrorsNeedTheModel() {
    QFETCH(QString, model);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    if (arguments.first() == "send")
        arguments[1] = writeItem("x.AC7", ItemFiles::rhythm("X", 100));
    const CliRun run = kb(model, arguments);
    QVERIFY2(run.exitCode == 2, run.describe());
    QVERIFY2(run.err.contains(message), run.describe());
    QVERIFY(run.out.isEmpty());
}

void tst_KeyboardCommands::helpListsEveryCommand() {
    const CliRun run = CliRun::run({"--help"});
    QCOMPARE(run.exitCode, 0);
    for (const char* synopsis :
         {"file info", "file check", "file new", "ports", "identify", "list CATEGORY",
          "memory CATEGORY", "receive CATEGORY AREA [-d DIR]", "send FILE AREA [--yes]",
          "delete CATEGORY AREA", "backup [-d DIR]", "restore FILE.AL7 [--yes]",
          "package new OUT.PK7 --model NAME", "package show FILE.PK7", "package check FILE.PK7",
          "package send FILE.PK7 [--yes]", "--emulate-state", "130"})
        QVERIFY2(run.out.contains(QLatin1String(synopsis)), synopsis);
}

void tst_KeyboardCommands::listOfANewKeyboard_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("rhythms") << "PRV-1100"
                             << "rhythm" << emptyListing(1, 10);
    QTest::newRow("DSP from 101") << "PRV-1100"
                                  << "DSP" << emptyListing(101, 100);
    QTest::newRow("drawbar from 51") << "PRV-1200"
                                     << "Drawbar" << emptyListing(51, 50);
    QTest::newRow("registration is always in use")
        << "PRV-3200"
        << "REGISTRATION" << QStringList{"1\t1\t1024\tRegistration 1"};
}

void tst_KeyboardCommands::listOfANewKeyboard() {
    QFETCH(QString, model);
    QFETCH(QString, category);
    const CliRun run = kb(model, {"list", category});
    QVERIFY2(run.exitCode == 0, run.describe());
    QTEST(lines(run.out), "expected");
}

void tst_KeyboardCommands::memoryFollowsWhatIsStored() {
    // PRV-1100: 65508 bytes of song memory of which the 5 empty songs (817
    // bytes each) take 4085 by themselves.
    CliRun run = kb("PRV-1100", {"memory", "SEQUENCER"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QStringLiteral("0\t61423\t0"));

    // A song of 10000 bytes in area 2 instead of the empty one: 9183 bytes
    // more in use, 14 %.
    const QString song = writeItem("big.CMS", ItemFiles::song("PRV-1100", 0, "Big", 10000));
    run = kb("PRV-1100", {"send", song, "2"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb("PRV-1100", {"memory", "sequencer"});
    QCOMPARE(run.line(), QStringLiteral("9183\t61423\t14"));

    // A tiny song still shows as 1 %.
    run = kb("PRV-1100", {"delete", "SEQUENCER", "2"});
    QVERIFY2(run.exitCode == 0, run.describe());
    const QString tiny = writeItem("tiny.CMS", ItemFiles::song("PRV-1100", 0, "Tiny", 820));
    run = kb("PRV-1100", {"send", tiny, "5"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb("PRV-1100", {"memory", "SEQUENCER"});
    QCOMPARE(run.line(), QStringLiteral("3\t61423\t1"));
}

void tst_KeyboardCommands::roundTrip_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("savedAs");

    const QByteArray rhythm = ItemFiles::rhythm("  Lead  ", 700);
    QTest::newRow("rhythm, name trimmed") << "PRV-1100"
                                          << "RHYTHM"
                                          << "4"
                                          << "r.AC7" << rhythm << "4\t1\t700\t  Lead"
                                          << "Lead.AC7";
    const QByteArray song = ItemFiles::song("PRV-1100", 0, "My Song", 3000);
    QTest::newRow("song, several blocks") << "PRV-1100"
                                          << "SEQUENCER"
                                          << "5"
                                          << "s.CMS" << song << "5\t1\t3000\tMy Song"
                                          << "My Song.CMS";
    const QByteArray songV1 = ItemFiles::song("PRV-3200", 1, "Second Gen", 1500);
    QTest::newRow("song on a second-generation model")
        << "PRV-3200"
        << "SEQUENCER"
        << "1"
        << "s.CMS" << songV1 << "1\t1\t1500\tSecond Gen"
        << "Second Gen.CMS";
    const QByteArray preset = ItemFiles::musicPreset("Preset A", 400);
    QTest::newRow("music preset") << "PRV-3200"
                                  << "MUSICPRESET"
                                  << "100"
                                  << "p.MPS" << preset << "100\t1\t400\tPreset A"
                                  << "Preset A.MPS";
    const QByteArray tone = ItemFiles::common("TN7F", "PRV-1100", 0, 200);
    QTest::newRow("tone, named by the keyboard") << "PRV-1100"
                                                 << "TONE"
                                                 << "3"
                                                 << "t.TN7" << tone << "3\t1\t200\tTone 3"
                                                 << "Tone 3.TN7";
    const QByteArray dsp = ItemFiles::common("DS7F", "PRV-1100", 0, 64);
    QTest::newRow("DSP area 150") << "PRV-1100"
                                  << "DSP"
                                  << "150"
                                  << "d.DS7" << dsp << "150\t1\t64\tDSP 150"
                                  << "DSP 150.DS7";
    const QByteArray drawbar = ItemFiles::common("DB7F", "PRV-1200", 0, 84);
    QTest::newRow("drawbar area 60") << "PRV-1200"
                                     << "DRAWBAR"
                                     << "60"
                                     << "b.DB7" << drawbar << "60\t1\t84\tDrawbar Organ 60"
                                     << "Drawbar Organ 60.DB7";
    const QByteArray registration = ItemFiles::common("RM7F", "PRV-3200", 2, 1024);
    QTest::newRow("registration, named by model and date")
        << "PRV-3200"
        << "REGISTRATION"
        << "1"
        << "m.RM7" << registration << "1\t1\t1024\tRegistration 1"
        << QStringLiteral("PRV-3200_%1.RM7").arg(today());
    const QByteArray scale = ItemFiles::common("CSD1", "QS-1", 0, 64);
    QTest::newRow("scale, named by model and date")
        << "QS-1"
        << "SCALE"
        << "1"
        << "c.CSD" << scale << "1\t1\t64\tScale Memory 1"
        << QStringLiteral("QS-1_%1.CSD").arg(today());
}

void tst_KeyboardCommands::roundTrip() {
    QFETCH(QString, model);
    QFETCH(QString, category);
    QFETCH(QString, area);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, listed);
    QFETCH(QString, savedAs);

    // Areas that are in use from the start (registration, scale) are
    // replaced only with --yes.
    CliRun run = kb(model, {"send", writeItem(fileName, bytes), area, "--yes"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY(run.out.isEmpty());

    run = kb(model, {"list", category});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY2(lines(run.out).contains(listed), run.describe());

    const QString folder = work("received");
    run = kb(model, {"receive", category.toLower(), area, "-d", folder});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QDir(folder).filePath(savedAs));
    QCOMPARE(ItemFiles::read(run.line()), bytes);
    QCOMPARE(filesIn(folder), QStringList{savedAs});
}

void tst_KeyboardCommands::receivedNamesAreSafeAndFree() {
    CliRun run = kb("PRV-1100", {"send", writeItem("a.AC7", ItemFiles::rhythm("a/b:c", 300)), "1"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb("PRV-1100", {"send", writeItem("b.AC7", ItemFiles::rhythm("NUL", 300)), "2"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb("PRV-1100", {"send", writeItem("c.AC7", ItemFiles::rhythm(".hidden", 300)), "3"});
    QVERIFY2(run.exitCode == 0, run.describe());

    const QString folder = work("in");
    QStringList written;
    for (const char* area : {"1", "1", "2", "3", "1"}) {
        run = kb("PRV-1100", {"receive", "RHYTHM", area, "-d", folder});
        QVERIFY2(run.exitCode == 0, run.describe());
        written.append(QFileInfo(run.line()).fileName());
    }
    QCOMPARE(written,
             (QStringList{"a_b_c.AC7", "a_b_c(2).AC7", "NUL_.AC7", "_hidden.AC7", "a_b_c(3).AC7"}));
}

void tst_KeyboardCommands::receiveWithoutFolderUsesTheMainDataFolder() {
    const QString home = work("home");
    const QString config = work("config");
    const QString mainData = work("main data");
    QVERIFY(QDir().mkpath(config + "/TAVRO/ODX/ToneHarbour6"));
    QFile ini(config + "/TAVRO/ODX/ToneHarbour6/settings.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[General]\nMainDataDirectory=%1\n").arg(mainData).toUtf8());
    ini.close();

    QProcessEnvironment environment = CliRun::defaultEnvironment();
    environment.insert("HOME", home);
    environment.insert("XDG_CONFIG_HOME", config);
    const QByteArray rhythm = ItemFiles::rhythm("Home", 300);
    CliRun run = CliRun::run(kbArguments("PRV-1100", {"send", writeItem("h.AC7", rhythm), "1"}),
                             environment);
    QVERIFY2(run.exitCode == 0, run.describe());
    // The folder does not exist yet: it is made.
    run = CliRun::run(kbArguments("PRV-1100", {"receive", "RHYTHM", "1"}), environment);
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QDir(mainData).filePath("Home.AC7"));
    QCOMPARE(ItemFiles::read(run.line()), rhythm);
    run = CliRun::run(kbArguments("PRV-1100", {"backup"}), environment);
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QDir(mainData).filePath(QStringLiteral("PRV-1100_%1.AL7").arg(today())));
}

void tst_KeyboardCommands::receiveIntoAnUnwritableFolderTouchesNothing() {
    // A plain file where the folder should be: no one can write there, not
    // even a privileged user.
    QVERIFY(ItemFiles::write(work("plain"), "x"));
    const QString folder = work("plain/below");
    const QString rhythm = writeItem("r.AC7", ItemFiles::rhythm("R", 300));
    CliRun run = kb("PRV-1100", {"send", rhythm, "1"});
    QVERIFY2(run.exitCode == 0, run.describe());

    run = kb("PRV-1100", {"receive", "RHYTHM", "1", "-d", folder});
    QVERIFY2(run.exitCode == 17, run.describe());
    QVERIFY2(run.err.contains("File Write Error"), run.describe());
    run = kb("PRV-1100", {"backup", "-d", folder});
    QVERIFY2(run.exitCode == 17, run.describe());
    QVERIFY2(run.err.contains("File Write Error"), run.describe());
    QCOMPARE(filesIn(work_->path()), (QStringList{"plain", "r.AC7"}));
}

void tst_KeyboardCommands::failedReceiveWritesNoFile() {
    const QString folder = work("in");
    // An empty area: the keyboard has nothing to send.
    CliRun run = kb("PRV-1100", {"receive", "RHYTHM", "2", "-d", folder});
    QVERIFY2(run.exitCode == 11, run.describe());
    QVERIFY2(run.err.contains("Communication Error"), run.describe());

    // The keyboard refuses the transfer half-way (its third acknowledgement
    // becomes RJC).
    run = kb("PRV-1100", {"send", writeItem("r.AC7", ItemFiles::rhythm("R", 2000)), "2"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb("PRV-1100", {"receive", "RHYTHM", "2", "-d", folder}, "--reject-ack 3");
    QVERIFY2(run.exitCode == 11, run.describe());
    run = kb("PRV-1100", {"backup", "-d", folder}, "--reject-ack 5");
    QVERIFY2(run.exitCode == 11, run.describe());
    QVERIFY(filesIn(folder).isEmpty());
}

void tst_KeyboardCommands::occupiedAreaIsReplacedOnlyWhenAgreed() {
    const QByteArray first = ItemFiles::rhythm("First", 500);
    const QByteArray second = ItemFiles::rhythm("Second", 600);
    CliRun run = kb("PRV-1100", {"send", writeItem("1.AC7", first), "7"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY2(run.err.isEmpty(), run.describe()); // an empty area is not asked about

    // No terminal and no --yes: the answer is No and the area keeps its item.
    run = kb("PRV-1100", {"send", writeItem("2.AC7", second), "7"});
    QVERIFY2(run.exitCode == 1, run.describe());
    QVERIFY2(run.err.contains("Replace Rhythm Area 7,\nSure?"), run.describe());
    run = kb("PRV-1100", {"receive", "RHYTHM", "7", "-d", work("a")});
    QCOMPARE(ItemFiles::read(run.line()), first);

    run = kb("PRV-1100", {"send", "--yes", work("2.AC7"), "7"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY2(!run.err.contains("Replace"), run.describe());
    run = kb("PRV-1100", {"receive", "RHYTHM", "7", "-d", work("b")});
    QCOMPARE(ItemFiles::read(run.line()), second);
}

void tst_KeyboardCommands::sendRefusesUnsuitableFiles_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "PRV-1100"
                                  << "" << QByteArray() << 21 << "File Read Error";
    QTest::newRow("unknown extension")
        << "PRV-1100"
        << "x.TXT" << QByteArray("text") << 23 << "File Format Error";
    QTest::newRow("broken song") << "PRV-1100"
                                 << "x.CMS" << QByteArray(300, 'x') << 23 << "File Format Error";
    QTest::newRow("registration of another model")
        << "PRV-1100"
        << "x.RM7" << ItemFiles::common("RM7F", "QS-1", 0, 1024) << 24 << "File Format Error";
    QTest::newRow("rhythm too large")
        << "PRV-1100"
        << "x.AC7" << ItemFiles::rhythm("Huge", 32765) << 25 << "File Too Large";
    QTest::newRow("drawbar file on a model without drawbars")
        << "PRV-1100"
        << "x.DB7" << ItemFiles::common("DB7F", "PRV-1100", 0, 84) << 2 << "no Drawbar Organ areas";
}

void tst_KeyboardCommands::sendRefusesUnsuitableFiles() {
    QFETCH(QString, model);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = fileName.isEmpty() ? work("missing.AC7") : writeItem(fileName, bytes);
    const CliRun run = kb(model, {"send", path, "1"});
    QTEST(run.exitCode, "expected");
    QVERIFY2(run.err.contains(message), run.describe());
}

void tst_KeyboardCommands::keyboardRefusalIsACommunicationError() {
    const QString rhythm = writeItem("r.AC7", ItemFiles::rhythm("Refused", 900));
    CliRun run = kb("PRV-3200", {"send", rhythm, "1"}, "--reject-ack 2");
    QVERIFY2(run.exitCode == 11, run.describe());
    QVERIFY2(run.err.contains("Communication Error"), run.describe());
    // Nothing was stored.
    run = kb("PRV-3200", {"list", "RHYTHM"});
    QCOMPARE(lines(run.out).first(), QStringLiteral("1\t0\t0\t"));
}

void tst_KeyboardCommands::lostBlockFailsTheSend_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("area");
    QTest::newRow("first generation") << "PRV-1100"
                                      << "103";
    QTest::newRow("second generation") << "PRV-2100"
                                       << "103";
}

// A block lost on its way in is acknowledged as if it had arrived (the
// keyboard repeats its acknowledgement of the block before), so only the
// size the keyboard stored can show the loss.
void tst_KeyboardCommands::lostBlockFailsTheSend() {
    QFETCH(QString, model);
    QFETCH(QString, area);
    const QString file = writeItem("d.DS7", ItemFiles::common("DS7F", model.toLatin1(), 0, 700));
    // The picture travels first, in two blocks: the fourth is the data's second.
    CliRun run = kb(model, {"send", file, area}, "--lose-block 4");
    QVERIFY2(run.exitCode == 11, run.describe());
    QVERIFY2(run.err.contains("Communication Error"), run.describe());

    run = kb(model, {"send", file, area, "--yes"});
    QVERIFY2(run.exitCode == 0, run.describe());
}

void tst_KeyboardCommands::deleteClearsTheArea_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("rhythm") << "PRV-1100"
                            << "RHYTHM"
                            << "10"
                            << "r.AC7" << ItemFiles::rhythm("Gone", 800);
    QTest::newRow("song, second generation") << "PRV-3200"
                                             << "SEQUENCER"
                                             << "3"
                                             << "s.CMS" << ItemFiles::song("PRV-3200", 1, "S", 900);
    // The PRV-1100 takes a music preset only into a cleared area; clearing
    // and sending the empty preset must still work.
    QTest::newRow("music preset, clearing model") << "PRV-1100"
                                                  << "MUSICPRESET"
                                                  << "50"
                                                  << "p.MPS" << ItemFiles::musicPreset("P", 300);
}

void tst_KeyboardCommands::deleteClearsTheArea() {
    QFETCH(QString, model);
    QFETCH(QString, category);
    QFETCH(QString, area);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    CliRun run = kb(model, {"send", writeItem(fileName, bytes), area});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb(model, {"list", category});
    QVERIFY2(lines(run.out).filter(QRegularExpression("^" + area + "\t1\t")).size() == 1,
             run.describe());

    run = kb(model, {"delete", category, area});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb(model, {"list", category});
    QVERIFY2(lines(run.out).contains(area + "\t0\t0\t"), run.describe());
    // Deleting an empty area is fine as well.
    run = kb(model, {"delete", category, area});
    QVERIFY2(run.exitCode == 0, run.describe());
}

void tst_KeyboardCommands::backupAndRestore_data() {
    QTest::addColumn<QString>("model");
    QTest::newRow("first generation") << "PRV-1100";
    QTest::newRow("second generation") << "PRV-3100";
}

void tst_KeyboardCommands::backupAndRestore() {
    QFETCH(QString, model);
    const QByteArray rhythm = ItemFiles::rhythm("Kept", 1200);
    CliRun run = kb(model, {"send", writeItem("r.AC7", rhythm), "2"});
    QVERIFY2(run.exitCode == 0, run.describe());

    const QString folder = work("backups");
    run = kb(model, {"backup", "-d", folder});
    QVERIFY2(run.exitCode == 0, run.describe());
    const QString first = run.line();
    QCOMPARE(first, QDir(folder).filePath(QStringLiteral("%1_%2.AL7").arg(model, today())));

    run = kb(model, {"delete", "RHYTHM", "2"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb(model, {"restore", first, "--yes"});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb(model, {"receive", "RHYTHM", "2", "-d", work("in")});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(ItemFiles::read(run.line()), rhythm);

    run = kb(model, {"backup", "-d", folder});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QDir(folder).filePath(QStringLiteral("%1_%2(2).AL7").arg(model, today())));
    QCOMPARE(ItemFiles::read(run.line()), ItemFiles::read(first));
}

void tst_KeyboardCommands::restoreAsksFirst() {
    const QString folder = work("backups");
    CliRun run = kb("PRV-1100", {"backup", "-d", folder});
    QVERIFY2(run.exitCode == 0, run.describe());
    const QString backup = run.line();
    run = kb("PRV-1100", {"send", writeItem("r.AC7", ItemFiles::rhythm("Later", 300)), "1"});
    QVERIFY2(run.exitCode == 0, run.describe());

    run = kb("PRV-1100", {"restore", backup});
    QVERIFY2(run.exitCode == 1, run.describe());
    QVERIFY2(run.err.contains(
                 QStringLiteral("Restore from \"%1\",\nSure?").arg(QFileInfo(backup).fileName())),
             run.describe());
    run = kb("PRV-1100", {"list", "RHYTHM"});
    QCOMPARE(lines(run.out).first(), QStringLiteral("1\t1\t300\tLater"));
}

void tst_KeyboardCommands::restoreRefusesAnotherModelsBackup() {
    const QString folder = work("backups");
    CliRun run = kb("PRV-1100", {"backup", "-d", folder});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb("PRV-3200", {"restore", run.line(), "--yes"});
    QVERIFY2(run.exitCode == 24 || run.exitCode == 23, run.describe());
    QVERIFY2(run.err.contains("File Format Error"), run.describe());
    run = kb("PRV-3200", {"restore", work("none.AL7"), "--yes"});
    QVERIFY2(run.exitCode == 21, run.describe());
}

void tst_KeyboardCommands::packageRoundTrip_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("songVersion");
    QTest::newRow("first generation") << "PRV-1100" << 0;
    QTest::newRow("second generation") << "PRV-3200" << 1;
}

void tst_KeyboardCommands::packageRoundTrip() {
    QFETCH(QString, model);
    QFETCH(int, songVersion);
    const QByteArray rhythm = ItemFiles::rhythm("Pack Beat", 900);
    const QByteArray song = ItemFiles::song(model.toLatin1(), songVersion, "Pack Song", 2500);
    const QByteArray tone = ItemFiles::common("TN7F", model.toLatin1(), 0, 120);
    const QString package = work("p.PK7");
    CliRun run = CliRun::run(
        {"package", "new", package, "--model", model, "RHYTHM:3=" + writeItem("beat.AC7", rhythm),
         "sequencer:2=" + writeItem("song.CMS", song), "Tone:9=" + writeItem("tone.TN7", tone)});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), package);

    run = CliRun::run({"package", "show", package});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(lines(run.out),
             (QStringList{"Model\t" + model, "RHYTHM\t3\t900\tbeat.AC7",
                          "SEQUENCER\t2\t2776\tsong.CMS", "TONE\t9\t396\ttone.TN7"}));

    run = kb(model, {"package", "check", package});
    QVERIFY2(run.exitCode == 0, run.describe());
    run = kb(model, {"package", "send", package, "--yes"});
    QVERIFY2(run.exitCode == 0, run.describe());

    const QString folder = work("in");
    run = kb(model, {"receive", "RHYTHM", "3", "-d", folder});
    QCOMPARE(ItemFiles::read(run.line()), rhythm);
    run = kb(model, {"receive", "SEQUENCER", "2", "-d", folder});
    QCOMPARE(ItemFiles::read(run.line()), song);
    run = kb(model, {"receive", "TONE", "9", "-d", folder});
    QCOMPARE(ItemFiles::read(run.line()), tone);
}

void tst_KeyboardCommands::packageRefusals() {
    const QString rhythm = writeItem("beat.AC7", ItemFiles::rhythm("Beat", 500));
    const QString package = work("p.PK7");
    CliRun run =
        CliRun::run({"package", "new", package, "--model", "PRV-1100", "RHYTHM:1=" + rhythm});
    QVERIFY2(run.exitCode == 0, run.describe());

    // No terminal and no --yes: nothing is sent.
    run = kb("PRV-1100", {"package", "send", package});
    QVERIFY2(run.exitCode == 1, run.describe());
    QVERIFY2(run.err.contains("Send Package \"p.PK7\",\nSure?"), run.describe());
    run = kb("PRV-1100", {"list", "RHYTHM"});
    QCOMPARE(lines(run.out).first(), QStringLiteral("1\t0\t0\t"));

    run = kb("PRV-3200", {"package", "send", package, "--yes"});
    QVERIFY2(run.exitCode == 36, run.describe());
    run = kb("PRV-3200", {"package", "check", package});
    QVERIFY2(run.exitCode == 36, run.describe());
    run = kb("PRV-1100", {"package", "check", work("none.PK7")});
    QVERIFY2(run.exitCode == 34, run.describe());
    run = CliRun::run({"package", "show", rhythm});
    QVERIFY2(run.exitCode == 35, run.describe());

    // A package is made only of items the model takes.
    const QString song = writeItem("s.CMS", ItemFiles::song("PRV-3200", 1, "S", 900));
    run = CliRun::run(
        {"package", "new", work("q.PK7"), "--model", "PRV-1100", "SEQUENCER:1=" + song});
    QVERIFY2(run.exitCode == 23, run.describe());
    run = CliRun::run(
        {"package", "new", work("q.PK7"), "--model", "PRV-1100", "SEQUENCER:1=" + rhythm});
    QVERIFY2(run.exitCode == 2, run.describe());
    run = CliRun::run(
        {"package", "new", work("q.PK7"), "--model", "PRV-1100", "RHYTHM:11=" + rhythm});
    QVERIFY2(run.exitCode == 2, run.describe());
    QVERIFY(!QFile::exists(work("q.PK7")));
}

void tst_KeyboardCommands::noProgressWithoutATerminal() {
    const CliRun run = kb("PRV-1100", {"backup", "-d", work("b")});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY2(run.err.isEmpty(), run.describe());
}

void tst_KeyboardCommands::terminalQuestion_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("yes") << QByteArray("y\n") << true;
    QTest::newRow("no") << QByteArray("n\n") << false;
    QTest::newRow("just enter") << QByteArray("\n") << false;
    QTest::newRow("Ctrl-C") << QByteArray("\x03") << false;
}

void tst_KeyboardCommands::terminalQuestion() {
    QFETCH(QByteArray, answer);
    QFETCH(bool, replaced);
    const QByteArray first = ItemFiles::rhythm("First", 500);
    const QByteArray second = ItemFiles::rhythm("Second", 500);
    CliRun run = kb("PRV-3200", {"send", writeItem("1.AC7", first), "4"});
    QVERIFY2(run.exitCode == 0, run.describe());

    PtyProcess terminal;
    QVERIFY(terminal.start(TH_CLI_PATH,
                           kbArguments("PRV-3200", {"send", writeItem("2.AC7", second), "4"}),
                           CliRun::defaultEnvironment()));
    QVERIFY2(terminal.waitForOutput("Replace Rhythm Area 4,\r\nSure? [y/N] ", 60000),
             terminal.output().constData());
    // Take time to answer: the keyboard must be kept waiting meanwhile.
    QTest::qWait(700);
    terminal.type(answer);
    const int status = terminal.waitForExit(60000);
    QCOMPARE(status, replaced ? 0 : answer == "\x03" ? 130 : 1);

    run = kb("PRV-3200", {"receive", "RHYTHM", "4", "-d", work("in")});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(ItemFiles::read(run.line()), replaced ? second : first);
}

void tst_KeyboardCommands::terminalShowsProgress() {
    PtyProcess terminal;
    QVERIFY(terminal.start(TH_CLI_PATH, kbArguments("PRV-1100", {"backup", "-d", work("b")}),
                           CliRun::defaultEnvironment()));
    QCOMPARE(terminal.waitForExit(60000), 0);
    const QString output = QString::fromUtf8(terminal.output());
    QVERIFY2(output.contains("Receiving Backup Data    (0%)"), qPrintable(output));
    QVERIFY2(output.contains("Receiving Backup Data    (50%)"), qPrintable(output));
    QVERIFY2(output.contains("Receiving Backup Data    (100%)"), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("PRV-1100_%1.AL7").arg(today())), qPrintable(output));
}

void tst_KeyboardCommands::interruptCancelsTheBackup() {
    const QString folder = work("b");
    PtyProcess terminal;
    // Slow replies, so that the backup is surely under way when Ctrl-C comes.
    QVERIFY(terminal.start(TH_CLI_PATH,
                           kbArguments("PRV-1100", {"backup", "-d", folder}, "--delay 3"),
                           CliRun::defaultEnvironment()));
    QVERIFY2(terminal.waitForMatch("Receiving Backup Data    \\([1-9][0-9]?%\\)", 60000),
             terminal.output().constData());
    terminal.type("\x03");
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(terminal.waitForExit(60000), 130);
    // It ended because the command ended, not after the whole transfer.
    QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(filesIn(folder).isEmpty());
    QVERIFY2(!terminal.output().contains("(100%)"), terminal.output().constData());

    // The keyboard was told: the next command finds it ready.
    const CliRun run = kb("PRV-1100", {"list", "RHYTHM"});
    QVERIFY2(run.exitCode == 0, run.describe());
}

void tst_KeyboardCommands::interruptedRestoreLeavesTheKeyboardAsItWas() {
    const QString folder = work("b");
    CliRun run = kb("PRV-1100", {"backup", "-d", folder});
    QVERIFY2(run.exitCode == 0, run.describe());
    const QString backup = run.line();
    const QByteArray rhythm = ItemFiles::rhythm("Still Here", 400);
    run = kb("PRV-1100", {"send", writeItem("r.AC7", rhythm), "6"});
    QVERIFY2(run.exitCode == 0, run.describe());

    PtyProcess terminal;
    QVERIFY(terminal.start(TH_CLI_PATH,
                           kbArguments("PRV-1100", {"restore", backup, "--yes"}, "--delay 3"),
                           CliRun::defaultEnvironment()));
    QVERIFY2(terminal.waitForMatch("Sending \"[^\"]*\"    \\([1-9][0-9]?%\\)", 60000),
             terminal.output().constData());
    terminal.type("\x03");
    QCOMPARE(terminal.waitForExit(60000), 130);

    run = kb("PRV-1100", {"list", "RHYTHM"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(lines(run.out).at(5), QStringLiteral("6\t1\t400\tStill Here"));
}

void tst_KeyboardCommands::secondInterruptEndsAtOnce() {
    PtyProcess terminal;
    // So slow that the first Ctrl-C alone would take long to take effect.
    QVERIFY(terminal.start(TH_CLI_PATH,
                           kbArguments("PRV-1100", {"backup", "-d", work("b")}, "--delay 3000"),
                           CliRun::defaultEnvironment()));
    QTest::qWait(1000);
    terminal.type("\x03");
    QTest::qWait(200);
    terminal.type("\x03");
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(terminal.waitForExit(60000), 130);
    QVERIFY2(timer.elapsed() < 2500, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(filesIn(work("b")).isEmpty());
}

QTEST_GUILESS_MAIN(tst_KeyboardCommands)
#include "tst_KeyboardCommands.moc"
