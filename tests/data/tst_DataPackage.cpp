#include "data/DataCategory.h"
#include "data/DataPackage.h"
#include "data/DrawbarDataCategory.h"
#include "data/DspDataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MusicPresetDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/ToneDataCategory.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq21BInfo.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace zel::qmix::data;

namespace {

const char* const kHeader = "TAVRO MUSIC DATA PACKAGE 2010";

bool writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray cpk(const QByteArray& keyboardLine, const QList<QByteArray>& lines) {
    QByteArray text = QByteArray(kHeader) + '\n' + keyboardLine + '\n';
    for (const QByteArray& line : lines)
        text += line + '\n';
    return text;
}

} // namespace

class tst_DataPackage : public QObject {
    Q_OBJECT

private slots:
    void init() { KeyboardInfo::setCurrentModel(Zq11Info::instance()); }
    void cleanup() { KeyboardInfo::setCurrentModel(Zq21BInfo::instance()); }

    void appendOfATakenAreaRenamesInPlace();
    void appendKeepsDifferentCategoriesAndAreasApart();
    void removeTakesOnlyTheMatchingElement();
    void clearKeepsTheModelName();
    void copyFromCopiesElementsAndModel();
    void elementsOfMatchesByKeyWord();
    void areaNamesGiveOneNamePerArea();
    void elementCopiesTheFirstMatch();

    void saveWritesHeaderModelAndElements();
    void saveAndLoadRoundTrip();
    void loadRejectsAForeignHeader_data();
    void loadRejectsAForeignHeader();
    void loadSkipsInvalidLines_data();
    void loadSkipsInvalidLines();
    void loadTakesTheModelNameAfterTheTag_data();
    void loadTakesTheModelNameAfterTheTag();
    void loadKeepsDuplicatesAndAreaNamesShowTheFirst();
    void loadWithoutElementLinesEmptiesThePackage();
    void loadOfAMissingFileFails();
    void saveRefusesANameThatWouldSplitItsLine_data();
    void saveRefusesANameThatWouldSplitItsLine();
    void saveToAnUnwritablePlaceFails();
    void failedSaveKeepsTheOldList();
};

void tst_DataPackage::appendOfATakenAreaRenamesInPlace() {
    DataPackage package;
    const DataCategory* rhythm = RhythmDataCategory::instance();
    package.append(DataPackageElement(rhythm, 3, QStringLiteral("A")));
    package.append(DataPackageElement(ToneDataCategory::instance(), 1, QStringLiteral("T")));
    package.append(DataPackageElement(rhythm, 3, QStringLiteral("B")));

    QCOMPARE(package.elements().size(), 2);
    QCOMPARE(package.elements().at(0), DataPackageElement(rhythm, 3, QStringLiteral("B")));
    QCOMPARE(package.indexOf(rhythm, 3), 0);
}

void tst_DataPackage::appendKeepsDifferentCategoriesAndAreasApart() {
    DataPackage package;
    package.append(DataPackageElement(RhythmDataCategory::instance(), 3, QStringLiteral("A")));
    package.append(DataPackageElement(RhythmDataCategory::instance(), 4, QStringLiteral("B")));
    package.append(DataPackageElement(ToneDataCategory::instance(), 3, QStringLiteral("C")));
    QCOMPARE(package.elements().size(), 3);
    QVERIFY(package.contains(ToneDataCategory::instance(), 3));
    QVERIFY(!package.contains(ToneDataCategory::instance(), 4));
    QCOMPARE(package.indexOf(RhythmDataCategory::instance(), 4), 1);
    QCOMPARE(package.indexOf(DspDataCategory::instance(), 3), -1);
}

void tst_DataPackage::removeTakesOnlyTheMatchingElement() {
    DataPackage package;
    package.append(DataPackageElement(RhythmDataCategory::instance(), 3, QStringLiteral("A")));
    package.append(DataPackageElement(RhythmDataCategory::instance(), 4, QStringLiteral("B")));

    package.remove(RhythmDataCategory::instance(), 5);
    package.remove(ToneDataCategory::instance(), 3);
    QCOMPARE(package.elements().size(), 2);

    package.remove(RhythmDataCategory::instance(), 3);
    QCOMPARE(package.elements().size(), 1);
    QCOMPARE(package.elements().at(0).name, QStringLiteral("B"));
}

void tst_DataPackage::clearKeepsTheModelName() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    QVERIFY(writeText(path, cpk("KEYBOARD:PRV-1200", {"RHYTHM:0:a"})));
    DataPackage package;
    QVERIFY(package.load(path));
    package.clear();
    QVERIFY(package.elements().isEmpty());
    QCOMPARE(package.modelName(), QStringLiteral("PRV-1200"));
}

void tst_DataPackage::copyFromCopiesElementsAndModel() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    QVERIFY(writeText(path, cpk("KEYBOARD:LM-4200", {"TONE:5:t", "DSP:0:d"})));
    DataPackage source;
    QVERIFY(source.load(path));

    DataPackage copy;
    copy.append(DataPackageElement(RhythmDataCategory::instance(), 1, QStringLiteral("gone")));
    copy.copyFrom(&source);
    QCOMPARE(copy.modelName(), QStringLiteral("LM-4200"));
    QCOMPARE(copy.elements(), source.elements());

    // Copies, not shared state.
    source.clear();
    QCOMPARE(copy.elements().size(), 2);
}

void tst_DataPackage::elementsOfMatchesByKeyWord() {
    DataPackage package;
    package.append(DataPackageElement(RhythmDataCategory::instance(), 2, QStringLiteral("r2")));
    package.append(DataPackageElement(ToneDataCategory::instance(), 0, QStringLiteral("t0")));
    package.append(DataPackageElement(RhythmDataCategory::instance(), 1, QStringLiteral("r1")));
    package.append(DataPackageElement());

    const QList<DataPackageElement> rhythms = package.elementsOf(RhythmDataCategory::instance());
    QCOMPARE(rhythms.size(), 2);
    QCOMPARE(rhythms.at(0).name, QStringLiteral("r2"));
    QCOMPARE(rhythms.at(1).name, QStringLiteral("r1"));
    QVERIFY(package.elementsOf(DspDataCategory::instance()).isEmpty());
    QVERIFY(package.elementsOf(nullptr).isEmpty());
}

void tst_DataPackage::areaNamesGiveOneNamePerArea() {
    const DataCategory* song = SequencerDataCategory::instance();
    const QList<DataPackageElement> elements = {
        DataPackageElement(song, 4, QStringLiteral("last")),
        DataPackageElement(song, 5, QStringLiteral("beyond")),
        DataPackageElement(song, -1, QStringLiteral("before")),
        DataPackageElement(ToneDataCategory::instance(), 0, QStringLiteral("tone")),
        DataPackageElement(song, 1, QStringLiteral("second")),
    };
    const QStringList names = DataPackage::areaNames(elements, song, Zq10Info::instance());
    QCOMPARE(names, (QStringList{QString(), QStringLiteral("second"), QString(), QString(),
                                 QStringLiteral("last")}));

    // A category the model lacks has no areas.
    QVERIFY(DataPackage::areaNames(elements, DrawbarDataCategory::instance(), Zq10Info::instance())
                .isEmpty());
}

void tst_DataPackage::elementCopiesTheFirstMatch() {
    const DataCategory* tone = ToneDataCategory::instance();
    const QList<DataPackageElement> elements = {
        DataPackageElement(tone, 2, QStringLiteral("first")),
        DataPackageElement(tone, 2, QStringLiteral("second")),
    };
    DataPackageElement out;
    QVERIFY(DataPackage::element(elements, tone, 2, out));
    QCOMPARE(out.name, QStringLiteral("first"));

    DataPackageElement untouched(tone, 9, QStringLiteral("kept"));
    QVERIFY(!DataPackage::element(elements, tone, 3, untouched));
    QCOMPARE(untouched.name, QStringLiteral("kept"));
}

void tst_DataPackage::saveWritesHeaderModelAndElements() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));

    // The list names the current model, whatever the package was loaded as.
    const QString loaded = folder.filePath(QStringLiteral("loaded.cpk"));
    QVERIFY(writeText(loaded, cpk("KEYBOARD:QS-1", {})));
    DataPackage package;
    QVERIFY(package.load(loaded));
    package.append(
        DataPackageElement(RhythmDataCategory::instance(), 7, QStringLiteral("Pop.AC7")));
    package.append(DataPackageElement());
    package.append(
        DataPackageElement(MusicPresetDataCategory::instance(), 0, QStringLiteral("x y")));

    KeyboardInfo::setCurrentModel(Zq10Info::instance());
    QVERIFY(package.save(path));
    QCOMPARE(readBytes(path), QByteArray("TAVRO MUSIC DATA PACKAGE 2010\n"
                                         "KEYBOARD:PRV-1100\n"
                                         "RHYTHM:7:Pop.AC7\n"
                                         "\n"
                                         "MUSICPRESET:0:x y\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);
}

void tst_DataPackage::saveAndLoadRoundTrip() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    DataPackage package;
    package.append(DataPackageElement(DrawbarDataCategory::instance(), 49, QStringLiteral("Org")));
    package.append(DataPackageElement(ToneDataCategory::instance(), 0, QStringLiteral("Tön é")));
    package.append(DataPackageElement(DspDataCategory::instance(), 99, QStringLiteral("d")));
    QVERIFY(package.save(path));

    DataPackage loaded;
    QVERIFY(loaded.load(path));
    QCOMPARE(loaded.elements(), package.elements());
    QCOMPARE(loaded.modelName(), QStringLiteral("PRV-1200"));
}

void tst_DataPackage::loadRejectsAForeignHeader_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("other header") << QByteArray("TAVRO MUSIC DATA PACKAGE 2011\nKEYBOARD:QS-1\n");
    QTest::newRow("header in lower case")
        << QByteArray("tavro music data package 2010\nKEYBOARD:QS-1\n");
    QTest::newRow("header with trailing blank")
        << QByteArray("TAVRO MUSIC DATA PACKAGE 2010 \nKEYBOARD:QS-1\n");
    QTest::newRow("no keyboard line") << QByteArray("TAVRO MUSIC DATA PACKAGE 2010\n");
    QTest::newRow("keyboard tag in lower case")
        << QByteArray("TAVRO MUSIC DATA PACKAGE 2010\nkeyboard:QS-1\nTONE:0:a\n");
    QTest::newRow("element where the keyboard line belongs")
        << QByteArray("TAVRO MUSIC DATA PACKAGE 2010\nTONE:0:a\nKEYBOARD:QS-1\n");
}

void tst_DataPackage::loadRejectsAForeignHeader() {
    QFETCH(QByteArray, text);
    QTemporaryDir folder;
    const QString good = folder.filePath(QStringLiteral("good.cpk"));
    const QString bad = folder.filePath(QStringLiteral("bad.cpk"));
    QVERIFY(writeText(good, cpk("KEYBOARD:QS-1", {"TONE:1:kept"})));
    QVERIFY(writeText(bad, text));

    DataPackage package;
    QVERIFY(package.load(good));
    QVERIFY(!package.load(bad));
    QCOMPARE(package.elements().size(), 1);
    QCOMPARE(package.elements().at(0).name, QStringLiteral("kept"));
    QCOMPARE(package.modelName(), QStringLiteral("QS-1"));
}

void tst_DataPackage::loadSkipsInvalidLines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("valid") << QByteArray("RHYTHM:99:r") << true;
    QTest::newRow("name with a colon") << QByteArray("RHYTHM:3:a:b") << false;
    QTest::newRow("two parts") << QByteArray("RHYTHM:3") << false;
    QTest::newRow("empty name") << QByteArray("RHYTHM:3:") << false;
    QTest::newRow("area not a number") << QByteArray("RHYTHM:x:r") << false;
    QTest::newRow("area empty") << QByteArray("RHYTHM::r") << false;
    QTest::newRow("area negative") << QByteArray("RHYTHM:-1:r") << false;
    QTest::newRow("area one past the last") << QByteArray("RHYTHM:100:r") << false;
    QTest::newRow("unknown key word") << QByteArray("BANJO:0:r") << false;
    QTest::newRow("key word in lower case") << QByteArray("rhythm:0:r") << false;
    QTest::newRow("category the model lacks") << QByteArray("SCALE:0:s") << false;
    QTest::newRow("empty line") << QByteArray("") << false;
    QTest::newRow("drawbar within its 50 areas") << QByteArray("DRAWBAR:49:o") << true;
    QTest::newRow("drawbar past its 50 areas") << QByteArray("DRAWBAR:50:o") << false;
}

void tst_DataPackage::loadSkipsInvalidLines() {
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    QVERIFY(writeText(path, cpk("KEYBOARD:PRV-1200", {"TONE:0:before", line, "DSP:5:after"})));
    DataPackage package;
    QVERIFY(package.load(path));

    QCOMPARE(package.elements().size(), accepted ? 3 : 2);
    QCOMPARE(package.elements().first().name, QStringLiteral("before"));
    QCOMPARE(package.elements().last().name, QStringLiteral("after"));
    if (accepted) {
        const QStringList parts = QString::fromLatin1(line).split(QLatin1Char(':'));
        const DataPackageElement& middle = package.elements().at(1);
        QCOMPARE(middle.category, DataCategory::fromKeyWord(parts.at(0)));
        QCOMPARE(middle.areaNum, parts.at(1).toInt());
        QCOMPARE(middle.name, parts.at(2));
    }
}

void tst_DataPackage::loadTakesTheModelNameAfterTheTag_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("modelName");
    QTest::newRow("plain") << QByteArray("KEYBOARD:PRV-1200") << "PRV-1200";
    QTest::newRow("not trimmed") << QByteArray("KEYBOARD:QS-1    ") << "QS-1    ";
    QTest::newRow("empty") << QByteArray("KEYBOARD:") << "";
    QTest::newRow("text before the tag") << QByteArray("# KEYBOARD:LM-4100") << "LM-4100";
}

void tst_DataPackage::loadTakesTheModelNameAfterTheTag() {
    QFETCH(QByteArray, line);
    QFETCH(QString, modelName);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    QVERIFY(writeText(path, cpk(line, {})));
    DataPackage package;
    QVERIFY(package.load(path));
    QCOMPARE(package.modelName(), modelName);
}

void tst_DataPackage::loadKeepsDuplicatesAndAreaNamesShowTheFirst() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    QVERIFY(writeText(path, cpk("KEYBOARD:PRV-1200", {"RHYTHM:3:first", "RHYTHM:3:second"})));
    DataPackage package;
    QVERIFY(package.load(path));
    QCOMPARE(package.elements().size(), 2);

    const QStringList names = DataPackage::areaNames(
        package.elements(), RhythmDataCategory::instance(), Zq11Info::instance());
    QCOMPARE(names.size(), 100);
    QCOMPARE(names.at(3), QStringLiteral("first"));
}

void tst_DataPackage::loadWithoutElementLinesEmptiesThePackage() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    QVERIFY(writeText(path, cpk("KEYBOARD:PRV-1200", {})));
    DataPackage package;
    package.append(DataPackageElement(ToneDataCategory::instance(), 0, QStringLiteral("old")));
    QVERIFY(package.load(path));
    QVERIFY(package.elements().isEmpty());
}

void tst_DataPackage::loadOfAMissingFileFails() {
    QTemporaryDir folder;
    DataPackage package;
    package.append(DataPackageElement(ToneDataCategory::instance(), 0, QStringLiteral("old")));
    QVERIFY(!package.load(folder.filePath(QStringLiteral("missing.cpk"))));
    QVERIFY(!package.load(folder.path()));
    QCOMPARE(package.elements().size(), 1);
}

void tst_DataPackage::saveRefusesANameThatWouldSplitItsLine_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("line feed") << QStringLiteral("a\nRHYTHM:0:injected");
    QTest::newRow("carriage return") << QStringLiteral("a\rb");
}

void tst_DataPackage::saveRefusesANameThatWouldSplitItsLine() {
    QFETCH(QString, name);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    const QByteArray old = cpk("KEYBOARD:PRV-1200", {"TONE:0:old"});
    QVERIFY(writeText(path, old));

    DataPackage package;
    package.append(DataPackageElement(ToneDataCategory::instance(), 1, name));
    QVERIFY(!package.save(path));
    QCOMPARE(readBytes(path), old);
}

void tst_DataPackage::saveToAnUnwritablePlaceFails() {
    QTemporaryDir folder;
    DataPackage package;
    package.append(DataPackageElement(ToneDataCategory::instance(), 1, QStringLiteral("t")));
    QVERIFY(!package.save(folder.filePath(QStringLiteral("missing/list.cpk"))));
    QVERIFY(!package.save(folder.path()));
}

void tst_DataPackage::failedSaveKeepsTheOldList() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("list.cpk"));
    const QByteArray old = cpk("KEYBOARD:PRV-1200", {"TONE:0:old"});
    QVERIFY(writeText(path, old));

    DataPackage package;
    for (int area = 0; area < 100; ++area)
        package.append(DataPackageElement(DspDataCategory::instance(), area,
                                          QStringLiteral("a long name for effect %1").arg(area)));
    bool saved = true;
    {
        // The volume "fills up" after 512 bytes, part-way through the list.
        zel::qmix::testsupport::FileSizeLimit limit(512);
        QVERIFY(limit.isActive());
        saved = package.save(path);
    }
    QVERIFY(!saved);
    QCOMPARE(readBytes(path), old);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("list.cpk")});

    QVERIFY(package.save(path));
    DataPackage loaded;
    QVERIFY(loaded.load(path));
    QCOMPARE(loaded.elements().size(), 100);
}

QTEST_GUILESS_MAIN(tst_DataPackage)
#include "tst_DataPackage.moc"
