#include "data/KeyboardInfo.h"
#include "data/Zq12Info.h"
#include "data/Zq21CInfo.h"
#include "emu/KeyboardOptions.h"
#include "sysex/MessageType.h"

#include <QtTest>

using namespace zel::qmix;

class tst_KeyboardOptions : public QObject {
    Q_OBJECT

private slots:
    void modelAndState();
    void faults();
    void refused_data();
    void refused();
    void helpListsEveryOption();
    void modelList();
};

namespace {

QStringList command(const QStringList& arguments) {
    return QStringList{QStringLiteral("toneharbour-keyboard")} + arguments;
}

} // namespace

void tst_KeyboardOptions::modelAndState() {
    emu::KeyboardOptions options;
    QString error;
    QVERIFY2(options.parse(command({"--model", "QS-1", "--state", "/tmp/kbd"}), &error),
             qPrintable(error));
    QCOMPARE(options.setup().model, data::Zq12Info::instance());
    QCOMPARE(options.setup().stateDirectory, QStringLiteral("/tmp/kbd"));
    QCOMPARE(options.portName(), QStringLiteral("ToneHarbour Virtual Keyboard"));
    QVERIFY(options.setup().faults.dropRepliesTo.isEmpty());
    QCOMPARE(options.setup().faults.silentAfter, -1);
    QCOMPARE(options.setup().faults.deleteTimeMs, -1);

    emu::KeyboardOptions named;
    QVERIFY(named.parse(command({"--model=  PRV-2200 ", "--name", "Second Keyboard"}), &error));
    QCOMPARE(named.setup().model, data::Zq21CInfo::instance());
    QVERIFY(named.setup().stateDirectory.isEmpty());
    QCOMPARE(named.portName(), QStringLiteral("Second Keyboard"));
}

void tst_KeyboardOptions::faults() {
    emu::KeyboardOptions options;
    QString error;
    QVERIFY2(options.parse(command({"--model", "PRV-1100", "--drop-reply", "3,7", "--drop-type",
                                    "ipr,HBS,14", "--corrupt-block", "all", "--reject-ack", "2",
                                    "--silent-after", "40", "--delay", "25", "--delete-time", "0"}),
                           &error),
             qPrintable(error));
    const emu::FaultPlan& faults = options.setup().faults;
    QVERIFY(faults.dropRepliesTo.matches(3) && faults.dropRepliesTo.matches(7));
    QVERIFY(!faults.dropRepliesTo.matches(4));
    QCOMPARE(faults.dropReplyTypes, (QSet<int>{sysex::MessageType::IPR, sysex::MessageType::HBS,
                                               sysex::MessageType::EBS}));
    QVERIFY(faults.corruptBlocks.matches(1) && faults.corruptBlocks.matches(123456));
    QVERIFY(faults.rejectAcks.matches(2) && !faults.rejectAcks.matches(1));
    QCOMPARE(faults.silentAfter, 40);
    QCOMPARE(faults.replyDelayMs, 25);
    QCOMPARE(faults.deleteTimeMs, 0);
}

void tst_KeyboardOptions::refused_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("no model") << QStringList{} << "--model";
    QTest::newRow("unknown model") << QStringList{"--model", "PRV-9999"} << "PRV-9999";
    QTest::newRow("model in lower case") << QStringList{"--model", "prv-1100"} << "prv-1100";
    QTest::newRow("unknown option") << QStringList{"--model", "QS-1", "--colour"} << "colour";
    QTest::newRow("stray argument") << QStringList{"--model", "QS-1", "extra"} << "extra";
    QTest::newRow("message number 0")
        << QStringList{"--model", "QS-1", "--drop-reply", "0"} << "--drop-reply";
    QTest::newRow("not a number") << QStringList{"--model", "QS-1", "--reject-ack", "two"}
                                  << "--reject-ack";
    QTest::newRow("unknown type") << QStringList{"--model", "QS-1", "--drop-type", "IPR,XYZ"}
                                  << "XYZ";
    QTest::newRow("negative delay") << QStringList{"--model", "QS-1", "--delay", "-5"} << "--delay";
    QTest::newRow("empty port name") << QStringList{"--model", "QS-1", "--name", " "} << "--name";
}

void tst_KeyboardOptions::refused() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);
    emu::KeyboardOptions options;
    QString error;
    QVERIFY(!options.parse(command(arguments), &error));
    QVERIFY2(error.contains(complaint), qPrintable(error));
}

void tst_KeyboardOptions::helpListsEveryOption() {
    emu::KeyboardOptions options;
    QString error;
    QVERIFY(options.parse(command({"--help"}), &error));
    QVERIFY(options.helpRequested());
    for (const char* option :
         {"--model", "--state", "--name", "--list-models", "--drop-reply", "--drop-type",
          "--corrupt-block", "--reject-ack", "--silent-after", "--delay", "--delete-time"})
        QVERIFY2(options.helpText().contains(QLatin1String(option)), option);
}

void tst_KeyboardOptions::modelList() {
    emu::KeyboardOptions options;
    QString error;
    QVERIFY(options.parse(command({"--list-models"}), &error));
    QVERIFY(options.modelListRequested());
    const QStringList names = emu::KeyboardOptions::modelList().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(names.size(), 12);
    for (const QString& name : names)
        QVERIFY2(data::KeyboardInfo::find(name), qPrintable(name));
}

QTEST_GUILESS_MAIN(tst_KeyboardOptions)
#include "tst_KeyboardOptions.moc"
