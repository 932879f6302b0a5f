#include "etc/MessageTexts.h"

#include <QTest>

using zel::qmix::etc::MessageTexts;

class tst_MessageTexts : public QObject {
    Q_OBJECT

private slots:
    void errorText_data();
    void errorText();
    void composeText_data();
    void composeText();
    void typeForCommandError_data();
    void typeForCommandError();
    void typeForFileError_data();
    void typeForFileError();
    void titles();
    void questions_data();
    void questions();
};

void tst_MessageTexts::errorText_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("appendsDetail");

    QTest::newRow("0 nothing") << 0 << QString() << false;
    QTest::newRow("1") << 1 << "Communication Error" << false;
    QTest::newRow("2") << 2 << "File Read Error" << true;
    QTest::newRow("3") << 3 << "File Write Error" << false;
    QTest::newRow("4") << 4 << "File Format Error" << true;
    QTest::newRow("5") << 5 << "Already Running" << false;
    QTest::newRow("6") << 6 << "Memory Full" << false;
    QTest::newRow("7") << 7 << "File Format Error" << true;
    QTest::newRow("8") << 8 << "File Too Large" << true;
    QTest::newRow("9") << 9 << "Keyboard Data is Different" << false;
    QTest::newRow("10 beyond the table") << 10 << QString() << false;
    QTest::newRow("negative") << -1 << QString() << false;
    QTest::newRow("int min") << std::numeric_limits<int>::min() << QString() << false;
}

void tst_MessageTexts::errorText() {
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(bool, appendsDetail);

    QCOMPARE(MessageTexts::errorText(type), text);
    QCOMPARE(MessageTexts::appendsDetail(type), appendsDetail);
}

void tst_MessageTexts::composeText_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("detail");
    QTest::addColumn<QString>("shown");

    QTest::newRow("read error with name")
        << 2 << QVariant(QStringLiteral("Song1.CMS")) << "File Read Error\nSong1.CMS";
    QTest::newRow("read error, empty detail") << 2 << QVariant(QString()) << "File Read Error";
    QTest::newRow("read error, no detail") << 2 << QVariant() << "File Read Error";
    QTest::newRow("write error ignores detail")
        << 3 << QVariant(QStringLiteral("Song1.CMS")) << "File Write Error";
    QTest::newRow("format error") << 4 << QVariant(QStringLiteral("a.AC7"))
                                  << "File Format Error\na.AC7";
    QTest::newRow("other model") << 7 << QVariant(QStringLiteral("b.RM7"))
                                 << "File Format Error\nb.RM7";
    QTest::newRow("too large") << 8 << QVariant(QStringLiteral("c.CMS")) << "File Too Large\nc.CMS";
    QTest::newRow("number detail") << 8 << QVariant(42) << "File Too Large\n42";
    QTest::newRow("communication ignores detail")
        << 1 << QVariant(QStringLiteral("x")) << "Communication Error";
    QTest::newRow("keyboard data ignores detail")
        << 9 << QVariant(QStringLiteral("x")) << "Keyboard Data is Different";
    QTest::newRow("type 0 shows nothing") << 0 << QVariant(QStringLiteral("x")) << QString();
    QTest::newRow("unknown type shows nothing") << 11 << QVariant(QStringLiteral("x")) << QString();
    QTest::newRow("detail with line breaks kept")
        << 2 << QVariant(QStringLiteral("a\nb")) << "File Read Error\na\nb";
}

void tst_MessageTexts::composeText() {
    QFETCH(int, type);
    QFETCH(QVariant, detail);
    QFETCH(QString, shown);

    QCOMPARE(MessageTexts::composeText(type, detail), shown);
}

void tst_MessageTexts::typeForCommandError_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("keepsDetail");

    QTest::newRow("0 no error") << 0 << 0 << false;
    QTest::newRow("1 communication") << 1 << 1 << false;
    QTest::newRow("2 memory full") << 2 << 6 << false;
    QTest::newRow("3 format") << 3 << 4 << true;
    QTest::newRow("4 rejected") << 4 << 1 << false;
    QTest::newRow("5 canceled") << 5 << 0 << false;
    QTest::newRow("6 read") << 6 << 2 << true;
    QTest::newRow("7 write") << 7 << 3 << false;
    QTest::newRow("8 data differs") << 8 << 9 << false;
    QTest::newRow("9 unknown") << 9 << 0 << false;
    QTest::newRow("10 replace question") << 10 << 0 << false;
    QTest::newRow("negative") << -1 << 0 << false;
}

void tst_MessageTexts::typeForCommandError() {
    QFETCH(int, code);
    QFETCH(int, type);
    QFETCH(bool, keepsDetail);

    QCOMPARE(MessageTexts::typeForCommandError(code), type);
    QCOMPARE(MessageTexts::commandErrorKeepsDetail(code), keepsDetail);
}

void tst_MessageTexts::typeForFileError_data() {
    QTest::addColumn<int>("fileError");
    QTest::addColumn<int>("type");

    QTest::newRow("0 success") << 0 << 0;
    QTest::newRow("1 cannot read") << 1 << 2;
    QTest::newRow("2 cannot write") << 2 << 3;
    QTest::newRow("3 format") << 3 << 4;
    QTest::newRow("4 other model") << 4 << 7;
    QTest::newRow("5 too large") << 5 << 8;
    QTest::newRow("6 unknown") << 6 << 0;
    QTest::newRow("negative") << -1 << 0;
}

void tst_MessageTexts::typeForFileError() {
    QFETCH(int, fileError);
    QFETCH(int, type);

    QCOMPARE(MessageTexts::typeForFileError(fileError), type);
}

void tst_MessageTexts::titles() {
    QCOMPARE(MessageTexts::titlePrefix(), QStringLiteral("TAVRO Tone Harbour "));
    QCOMPARE(MessageTexts::errorTitle(), QStringLiteral("TAVRO Tone Harbour Error"));
    QCOMPARE(MessageTexts::informationTitle(), QStringLiteral("TAVRO Tone Harbour Information"));
    QCOMPARE(MessageTexts::confirmationTitle(), QStringLiteral("TAVRO Tone Harbour Confirmation"));
}

void tst_MessageTexts::questions_data() {
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("expected");

    QTest::newRow("save package") << MessageTexts::savePackageQuestion()
                                  << "Package Data has Changed.\nSave Changes?";
    QTest::newRow("cancel") << MessageTexts::cancelQuestion() << "Cancel?";
    QTest::newRow("exit") << MessageTexts::exitQuestion() << "Exit?";
    QTest::newRow("replace") << MessageTexts::replaceQuestion(QStringLiteral("Rhythm 3"))
                             << "Replace Rhythm 3,\nSure?";
    QTest::newRow("restore") << MessageTexts::restoreQuestion(QStringLiteral("PRV-1100_240101.AL7"))
                             << "Restore from \"PRV-1100_240101.AL7\",\nSure?";
    QTest::newRow("send package") << MessageTexts::sendPackageQuestion(QStringLiteral("Live.PK7"))
                                  << "Send Package \"Live.PK7\",\nSure?";
    // A name is shown as it is, even when it looks like a place marker.
    QTest::newRow("name with percent")
        << MessageTexts::replaceQuestion(QStringLiteral("100%1 %2")) << "Replace 100%1 %2,\nSure?";
    QTest::newRow("empty name") << MessageTexts::restoreQuestion(QString())
                                << "Restore from \"\",\nSure?";
}

void tst_MessageTexts::questions() {
    QFETCH(QString, question);
    QFETCH(QString, expected);

    QCOMPARE(question, expected);
}

QTEST_APPLESS_MAIN(tst_MessageTexts)
#include "tst_MessageTexts.moc"
