// The rules of the command-line front end that do not need a keyboard: the
// progress percentage, the memory percentage, argument splitting, area
// numbers and the answers to questions.
#include "cli/AreaArgument.h"
#include "cli/ArgumentList.h"
#include "cli/MemoryCommand.h"
#include "cli/ProgressDisplay.h"
#include "cli/ReplaceChecker.h"
#include "cli/TerminalQuestion.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CommandErrorCode.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

#include <QtTest>

using namespace zel::qmix;
using cli::AreaArgument;
using cli::ArgumentList;

class tst_CliParts : public QObject {
    Q_OBJECT

private slots:
    void progressPercent_data();
    void progressPercent();
    void progressLine();
    void memoryUsage_data();
    void memoryUsage();
    void argumentList_data();
    void argumentList();
    void area_data();
    void area();
    void areaName();
    void yesAnswers_data();
    void yesAnswers();
    void replaceChecker_data();
    void replaceChecker();
};

void tst_CliParts::progressPercent_data() {
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("expected");
    QTest::newRow("nothing to do") << 5 << 0 << 0;
    QTest::newRow("negative") << -1 << 10 << 0;
    QTest::newRow("all done") << 7 << 7 << 100;
    QTest::newRow("more than all") << 9 << 7 << 100;
    QTest::newRow("truncated") << 2 << 3 << 66;
    QTest::newRow("just below all") << 999 << 1000 << 99;
    QTest::newRow("large counts") << 2000000000 << 2100000000 << 95;
}

void tst_CliParts::progressPercent() {
    QFETCH(int, done);
    QFETCH(int, total);
    QTEST(cli::ProgressDisplay::percent(done, total), "expected");
}

void tst_CliParts::progressLine() {
    QCOMPARE(cli::ProgressDisplay::line("Receiving Backup Data", 0),
             QStringLiteral("Receiving Backup Data    (0%) [....................]"));
    QCOMPARE(cli::ProgressDisplay::line("Sending \"a.AC7\"", 55),
             QStringLiteral("Sending \"a.AC7\"    (55%) [###########.........]"));
    QCOMPARE(cli::ProgressDisplay::line("X", 100),
             QStringLiteral("X    (100%) [####################]"));
}

void tst_CliParts::memoryUsage_data() {
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("reserved");
    QTest::addColumn<int>("expectedUsed");
    QTest::addColumn<int>("expectedTotal");
    QTest::addColumn<int>("expectedPercent");
    QTest::newRow("empty") << 4085 << 65508 << 4085 << 0 << 61423 << 0;
    QTest::newRow("one byte of 10000") << 1 << 10000 << 0 << 1 << 10000 << 1;
    QTest::newRow("half") << 5000 << 10000 << 0 << 5000 << 10000 << 50;
    QTest::newRow("full shows 99") << 10000 << 10000 << 0 << 10000 << 10000 << 99;
    QTest::newRow("overhead subtracted") << 2150 << 5150 << 150 << 2000 << 5000 << 40;
    QTest::newRow("no room but used") << 300 << 100 << 100 << 200 << 0 << 99;
    QTest::newRow("less than the overhead") << 50 << 5150 << 150 << 0 << 5000 << 0;
}

void tst_CliParts::memoryUsage() {
    QFETCH(int, used);
    QFETCH(int, total);
    QFETCH(int, reserved);
    const cli::MemoryCommand::Usage usage = cli::MemoryCommand::usageOf(used, total, reserved);
    QTEST(usage.used, "expectedUsed");
    QTEST(usage.total, "expectedTotal");
    QTEST(usage.percent, "expectedPercent");
}

void tst_CliParts::argumentList_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("positional");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("error");
    QTest::newRow("plain") << QStringList{"RHYTHM", "3"} << QStringList{"RHYTHM", "3"} << false
                           << ""
                           << "";
    QTest::newRow("options anywhere") << QStringList{"--yes", "a.AC7", "-d", "out", "3"}
                                      << QStringList{"a.AC7", "3"} << true << "out"
                                      << "";
    QTest::newRow("value missing") << QStringList{"a", "-d"} << QStringList{"a"} << false << ""
                                   << "-d needs a value";
    QTest::newRow("unknown option") << QStringList{"-x"} << QStringList{} << false << ""
                                    << "unknown option \"-x\"";
    QTest::newRow("dash names a file after --")
        << QStringList{"--", "-odd.AC7", "--yes"} << QStringList{"-odd.AC7", "--yes"} << false << ""
        << "";
    QTest::newRow("single dash is positional")
        << QStringList{"-"} << QStringList{"-"} << false << ""
        << "";
}

void tst_CliParts::argumentList() {
    QFETCH(QStringList, arguments);
    const ArgumentList parsed(arguments, {"--yes"}, {"-d"});
    QTEST(parsed.error(), "error");
    if (!parsed.error().isEmpty())
        return;
    QTEST(parsed.positional(), "positional");
    QTEST(parsed.isSet("--yes"), "yes");
    QTEST(parsed.value("-d"), "folder");
}

void tst_CliParts::area_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("keyboardArea");
    QTest::newRow("first rhythm") << "PRV-1100"
                                  << "rhythm"
                                  << "1" << true << 0 << 0;
    QTest::newRow("last rhythm") << "PRV-1100"
                                 << "RHYTHM"
                                 << "10" << true << 9 << 9;
    QTest::newRow("rhythm 11") << "PRV-1100"
                               << "RHYTHM"
                               << "11" << false << 0 << 0;
    QTest::newRow("rhythm 0") << "PRV-1100"
                              << "RHYTHM"
                              << "0" << false << 0 << 0;
    QTest::newRow("DSP 101") << "PRV-1100"
                             << "dsp"
                             << "101" << true << 0 << 0;
    QTest::newRow("DSP 200") << "PRV-1100"
                             << "DSP"
                             << "200" << true << 99 << 99;
    QTest::newRow("DSP 1") << "PRV-1100"
                           << "DSP"
                           << "1" << false << 0 << 0;
    // Drawbar settings live in the tone areas from 100 on.
    QTest::newRow("drawbar 51") << "PRV-1200"
                                << "Drawbar"
                                << "51" << true << 0 << 100;
    QTest::newRow("drawbar 100") << "PRV-1200"
                                 << "DRAWBAR"
                                 << "100" << true << 49 << 149;
    QTest::newRow("not a number") << "PRV-1100"
                                  << "RHYTHM"
                                  << "3x" << false << 0 << 0;
}

void tst_CliParts::area() {
    QFETCH(QString, model);
    QFETCH(QString, category);
    QFETCH(QString, number);
    QFETCH(bool, valid);
    const data::KeyboardInfo* info = data::KeyboardInfo::find(model);
    QString error;
    const data::DataCategory* parsed = AreaArgument::parseCategory(category, info, &error);
    QVERIFY2(parsed, qPrintable(error));
    AreaArgument area;
    QCOMPARE(AreaArgument::parseArea(parsed, number, info, &area, &error), valid);
    if (!valid) {
        QVERIFY(error.contains(number));
        return;
    }
    QCOMPARE(area.category, parsed);
    QTEST(area.index, "index");
    QTEST(area.keyboardArea, "keyboardArea");
    QCOMPARE(area.shownNumber, number.toInt());
    QCOMPARE(AreaArgument::shownNumberOf(parsed, area.keyboardArea, info), number.toInt());
}

void tst_CliParts::areaName() {
    const data::KeyboardInfo* info = data::KeyboardInfo::find(QStringLiteral("PRV-1100"));
    QString error;
    AreaArgument area;
    area.category = AreaArgument::parseCategory("DSP", info, &error);
    QVERIFY(AreaArgument::parseArea(area.category, "150", info, &area, &error));
    QCOMPARE(area.name(), QStringLiteral("DSP Area 150"));
    QVERIFY(!AreaArgument::parseCategory("NOTHING", info, &error));
    QVERIFY(error.contains("RHYTHM"));
    QVERIFY(!error.contains("ALL"));
}

void tst_CliParts::yesAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("yes");
    QTest::newRow("y") << "y" << true;
    QTest::newRow("Yes with blanks") << "  Yes " << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("n") << "n" << false;
    QTest::newRow("yeah") << "yeah" << false;
    QTest::newRow("null") << QString() << false;
}

void tst_CliParts::yesAnswers() {
    QFETCH(QString, answer);
    QTEST(cli::TerminalQuestion::isYes(answer), "yes");
}

void tst_CliParts::replaceChecker_data() {
    QTest::addColumn<bool>("assumeYes");
    QTest::addColumn<QVariant>("subject");
    QTest::addColumn<bool>("agreed");
    comm::BulkSendCommandResult rhythm3;
    rhythm3.errorCode = comm::CommandErrorCode::ReplaceQuestion;
    rhythm3.category = 36;
    rhythm3.areaNumber = 2;
    comm::BulkSendCommandResult unknown = rhythm3;
    unknown.category = 20;
    QTest::newRow("--yes agrees") << true << QVariant::fromValue(rhythm3) << true;
    // The test runs without a terminal on standard input.
    QTest::newRow("no terminal means No") << false << QVariant::fromValue(rhythm3) << false;
    QTest::newRow("anything else is no permission") << true << QVariant(3) << false;
    QTest::newRow("unknown category") << true << QVariant::fromValue(unknown) << false;
}

void tst_CliParts::replaceChecker() {
    QFETCH(bool, assumeYes);
    QFETCH(QVariant, subject);
    QFETCH(bool, agreed);
    if (!assumeYes && cli::TerminalQuestion::hasTerminal())
        QSKIP("standard input is a terminal");
    cli::ReplaceChecker checker(assumeYes ? cli::TerminalQuestion::Mode::AssumeYes
                                          : cli::TerminalQuestion::Mode::Ask);
    QCOMPARE(checker.check(subject), agreed);
    QCOMPARE(checker.declined(), !agreed);
}

QTEST_GUILESS_MAIN(tst_CliParts)
#include "tst_CliParts.moc"
