#include "data/AllDataCategory.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/ScaleDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/Zq10Info.h"
#include "data/Zq12Info.h"
#include "file/FileNaming.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zel::qmix;
using file::FileNaming;

Q_DECLARE_METATYPE(const data::KeyboardInfo*)

namespace {

void touch(const QDir& folder, const QString& name) {
    QFile file(folder.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

const QDate kDate(2026, 3, 9);

} // namespace

class tst_FileNaming : public QObject {
    Q_OBJECT

private slots:
    void safeFileName_data();
    void safeFileName();
    void freePathCountsFromTwo();
    void freePathSkipsOnlyTakenNames();
    void receivedBaseName_data();
    void receivedBaseName();
    void receivedItemPathIsSafeAndFree();
    void backupPathIsModelAndDate();
    void canCreateFileIn();
    void probeLeavesNothingBehind();
};

void tst_FileNaming::safeFileName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << ""
                           << "_";
    QTest::newRow("plain") << "My Rhythm"
                           << "My Rhythm";
    QTest::newRow("device name") << "NUL"
                                 << "NUL_";
    QTest::newRow("device name any case") << "Com1"
                                          << "Com1_";
    QTest::newRow("lpt9") << "lpt9"
                          << "lpt9_";
    QTest::newRow("com0 is no device") << "com0"
                                       << "com0";
    QTest::newRow("com10 is no device") << "com10"
                                        << "com10";
    QTest::newRow("longer than a device") << "console"
                                          << "console";
    QTest::newRow("dot") << "."
                         << "_";
    QTest::newRow("dot dot") << ".."
                             << "_";
    QTest::newRow("leading dot") << ".hidden"
                                 << "_hidden";
    QTest::newRow("three dots") << "..."
                                << "_..";
    QTest::newRow("inner dot stays") << "a.b"
                                     << "a.b";
    QTest::newRow("slash and colon") << "AB/CD:EF"
                                     << "AB_CD_EF";
    QTest::newRow("every refused character") << "*?|\\/\":<>"
                                             << "_________";
    QTest::newRow("others stay") << "A-b_c (1) ä!"
                                 << "A-b_c (1) ä!";
}

void tst_FileNaming::safeFileName() {
    QFETCH(QString, name);
    QTEST(FileNaming::safeFileName(name), "expected");
}

void tst_FileNaming::freePathCountsFromTwo() {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    QCOMPARE(FileNaming::freePath(dir, "Beat", ".AC7"), dir.filePath("Beat.AC7"));
    touch(dir, "Beat.AC7");
    QCOMPARE(FileNaming::freePath(dir, "Beat", ".AC7"), dir.filePath("Beat(2).AC7"));
    touch(dir, "Beat(2).AC7");
    QCOMPARE(FileNaming::freePath(dir, "Beat", ".AC7"), dir.filePath("Beat(3).AC7"));
}

void tst_FileNaming::freePathSkipsOnlyTakenNames() {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    // Other extensions and a later number do not make the plain name taken.
    touch(dir, "Beat.CMS");
    touch(dir, "Beat(3).AC7");
    QCOMPARE(FileNaming::freePath(dir, "Beat", ".AC7"), dir.filePath("Beat.AC7"));
    touch(dir, "Beat.AC7");
    QCOMPARE(FileNaming::freePath(dir, "Beat", ".AC7"), dir.filePath("Beat(2).AC7"));
    // A folder of that name counts as taken as well.
    QVERIFY(dir.mkdir("Beat(2).AC7"));
    QCOMPARE(FileNaming::freePath(dir, "Beat", ".AC7"), dir.filePath("Beat(4).AC7"));
}

void tst_FileNaming::receivedBaseName_data() {
    QTest::addColumn<const data::DataCategory*>("category");
    QTest::addColumn<const data::KeyboardInfo*>("model");
    QTest::addColumn<QString>("dataName");
    QTest::addColumn<QString>("expected");
    const data::KeyboardInfo* prv1100 = data::Zq10Info::instance();
    const data::KeyboardInfo* qs1 = data::Zq12Info::instance();
    QTest::newRow("rhythm, trimmed")
        << (const data::DataCategory*)data::RhythmDataCategory::instance() << prv1100
        << "  Bossa 1  "
        << "Bossa 1";
    QTest::newRow("song") << (const data::DataCategory*)data::SequencerDataCategory::instance()
                          << prv1100 << "User Song 1"
                          << "User Song 1";
    QTest::newRow("scale by model and date, padded model name trimmed")
        << (const data::DataCategory*)data::ScaleDataCategory::instance() << qs1 << "Scale"
        << "QS-1_260309";
    QTest::newRow("registration by model and date")
        << (const data::DataCategory*)data::RegistrationDataCategory::instance() << prv1100
        << "Registration 1"
        << "PRV-1100_260309";
    QTest::newRow("empty data name stays empty")
        << (const data::DataCategory*)data::RhythmDataCategory::instance() << prv1100 << "   "
        << "";
}

void tst_FileNaming::receivedBaseName() {
    QFETCH(const data::DataCategory*, category);
    QFETCH(const data::KeyboardInfo*, model);
    QFETCH(QString, dataName);
    QTEST(FileNaming::receivedBaseName(category, dataName, model, kDate), "expected");
}

void tst_FileNaming::receivedItemPathIsSafeAndFree() {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    const data::DataCategory* rhythm = data::RhythmDataCategory::instance();
    const data::KeyboardInfo* model = data::Zq10Info::instance();
    QCOMPARE(FileNaming::receivedItemPath(dir, rhythm, " a/b ", model, kDate),
             dir.filePath("a_b.AC7"));
    touch(dir, "a_b.AC7");
    QCOMPARE(FileNaming::receivedItemPath(dir, rhythm, "a:b", model, kDate),
             dir.filePath("a_b(2).AC7"));
    QCOMPARE(FileNaming::receivedItemPath(dir, rhythm, "nul", model, kDate),
             dir.filePath("nul_.AC7"));
    QCOMPARE(FileNaming::receivedItemPath(dir, rhythm, "", model, kDate), dir.filePath("_.AC7"));
}

void tst_FileNaming::backupPathIsModelAndDate() {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    const data::KeyboardInfo* qs1 = data::Zq12Info::instance();
    QCOMPARE(FileNaming::backupPath(dir, qs1, kDate), dir.filePath("QS-1_260309.AL7"));
    touch(dir, "QS-1_260309.AL7");
    QCOMPARE(FileNaming::backupPath(dir, qs1, kDate), dir.filePath("QS-1_260309(2).AL7"));
}

void tst_FileNaming::canCreateFileIn() {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    QVERIFY(FileNaming::canCreateFileIn(dir));
    QVERIFY(!FileNaming::canCreateFileIn(QDir(dir.filePath("missing"))));
    // A file where the folder should be (this also holds for privileged users,
    // whom permission bits do not stop).
    touch(dir, "plain");
    QVERIFY(!FileNaming::canCreateFileIn(QDir(dir.filePath("plain"))));
}

void tst_FileNaming::probeLeavesNothingBehind() {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    touch(dir, "dummy");
    QVERIFY(FileNaming::canCreateFileIn(dir));
    QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList{"dummy"});
}

QTEST_GUILESS_MAIN(tst_FileNaming)
#include "tst_FileNaming.moc"
