#include "FileImages.h"
#include "ModelScope.h"

#include "data/AllDataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq13Info.h"
#include "data/Zq20BInfo.h"
#include "data/Zq21BInfo.h"
#include "file/AllDataFile.h"

#include <QtTest>

using namespace zel::qmix;

Q_DECLARE_METATYPE(data::KeyboardInfo*)

namespace {

data::KeyboardInfo* prv1100() {
    return data::Zq10Info::instance();
}

QList<int> prv1100Blocks() {
    return prv1100()->allDataBlockSizes();
}

QList<int> withEntry(QList<int> table, int index, int value) {
    while (table.size() <= index)
        table.append(0);
    table[index] = value;
    return table;
}

} // namespace

class tst_AllDataFile : public QObject {
    Q_OBJECT

private slots:
    void initializeTakesTheModelsBlockSizes_data();
    void initializeTakesTheModelsBlockSizes();
    void tableMustMatchTheCurrentModelAndThePayload_data();
    void tableMustMatchTheCurrentModelAndThePayload();
    void truncatedBackupIsAFormatError();
    void backupOfASisterModelMatchesTheTable();
};

void tst_AllDataFile::initializeTakesTheModelsBlockSizes_data() {
    QTest::addColumn<data::KeyboardInfo*>("model");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<qint64>("total");

    QTest::newRow("PRV-1100") << prv1100() << 10 << qint64(483288);
    QTest::newRow("PRV-3100") << (data::KeyboardInfo*)data::Zq20BInfo::instance() << 6
                              << qint64(655336);
    QTest::newRow("PRV-3200") << (data::KeyboardInfo*)data::Zq21BInfo::instance() << 28
                              << qint64(3706768);
    QTest::newRow("PRV-1200") << (data::KeyboardInfo*)data::Zq11Info::instance() << 55
                              << qint64(3714852);
    QTest::newRow("QS-1") << (data::KeyboardInfo*)data::Zq12Info::instance() << 56
                          << qint64(3723040);
}

void tst_AllDataFile::initializeTakesTheModelsBlockSizes() {
    QFETCH(data::KeyboardInfo*, model);
    QFETCH(int, blocks);
    QFETCH(qint64, total);

    ModelScope scope(model);
    file::AllDataFile backup;
    QCOMPARE(backup.category(), data::AllDataCategory::instance());
    const QList<int> table = backup.table();
    QCOMPARE(table.size(), 64);
    qint64 sum = 0;
    for (int i = 0; i < 64; ++i) {
        QCOMPARE(table.at(i) != 0, i < blocks);
        sum += table.at(i);
    }
    QCOMPARE(sum, total);

    // A backup received from the keyboard is valid once its payload is complete.
    QVERIFY(!backup.isValid());
    backup.setData(FileImages::pattern(static_cast<int>(total)));
    QVERIFY(backup.isValid());
}

void tst_AllDataFile::tableMustMatchTheCurrentModelAndThePayload_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("valid");

    const QByteArray payload = FileImages::pattern(483288, 4);
    const auto image = [&](const QByteArray& identifier, const QList<int>& table,
                           const QByteArray& data) {
        return FileImages::common(identifier, "PRV-1100", 0, data,
                                  QList<qint32>(table.begin(), table.end()));
    };
    QTest::newRow("PRV-1100 backup") << image("AL7F", prv1100Blocks(), payload) << true;
    QTest::newRow("wrong identifier") << image("RM7F", prv1100Blocks(), payload) << false;
    QTest::newRow("table of PRV-3100")
        << image("AL7F", data::Zq20BInfo::instance()->allDataBlockSizes(),
                 FileImages::pattern(655336))
        << false;
    QTest::newRow("one block missing")
        << image("AL7F", prv1100Blocks().mid(0, 9), payload.left(483288 - 8188)) << false;
    QTest::newRow("extra entry at the end")
        << image("AL7F", withEntry(prv1100Blocks(), 63, 1), payload + "x") << false;
    QTest::newRow("two blocks swapped")
        << image("AL7F", withEntry(withEntry(prv1100Blocks(), 6, 8188), 7, 65532), payload)
        << false;
    QTest::newRow("payload one byte long")
        << image("AL7F", prv1100Blocks(), payload + "x") << false;
    QTest::newRow("payload one byte short")
        << image("AL7F", prv1100Blocks(), payload.chopped(1)) << false;
}

void tst_AllDataFile::tableMustMatchTheCurrentModelAndThePayload() {
    QFETCH(QByteArray, image);
    QFETCH(bool, valid);

    ModelScope scope(prv1100());
    file::AllDataFile backup;
    QCOMPARE(backup.fromByteArray(image), 0);
    QCOMPARE(backup.isValid(), valid);
}

void tst_AllDataFile::truncatedBackupIsAFormatError() {
    const QByteArray image = FileImages::backup("PRV-1100", 0, prv1100Blocks());
    QCOMPARE(image.size(), 276 + 483288);
    file::AllDataFile backup;
    QCOMPARE(backup.fromByteArray(image.chopped(1)), 3);
    QCOMPARE(backup.fromByteArray(image), 0);
}

void tst_AllDataFile::backupOfASisterModelMatchesTheTable() {
    ModelScope scope(prv1100());
    file::AllDataFile backup;
    QCOMPARE(backup.fromByteArray(FileImages::backup("LM-4100 ", 0, prv1100Blocks())), 0);
    QVERIFY(backup.isValid());
    QVERIFY(backup.isCompatibleModel(QStringLiteral("PRV-1100")));

    // With PRV-3100 current, a PRV-1100 table is not the expected one.
    data::KeyboardInfo::setCurrentModel(data::Zq20BInfo::instance());
    QVERIFY(!backup.isValid());
}

QTEST_GUILESS_MAIN(tst_AllDataFile)
#include "tst_AllDataFile.moc"
