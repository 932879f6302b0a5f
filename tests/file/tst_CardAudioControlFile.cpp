// The SD card's audio control file: its records and trailer, positions by
// kind, unique data names, and saving under the card-file protection.
#include "file/CardAudioControlFile.h"
#include "file/CardFileProtection.h"
#include "file/FreeSpace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace zel::qmix::file;

namespace {

// Records built from the layout, independent of the writer under test.
QByteArray entryRecord(const QByteArray& base, const QByteArray& extension, int kind,
                       qint32 dataSize, qint32 seconds, const QByteArray& dataName) {
    QByteArray record(32, '\0');
    record.replace(0, int(base.size()), base);
    record.replace(8, int(extension.size()), extension);
    record[11] = char(kind);
    qToLittleEndian<qint32>(dataSize, record.data() + 12);
    qToLittleEndian<qint32>(seconds, record.data() + 16);
    record.replace(20, 12, dataName.leftJustified(12, ' '));
    return record;
}

QByteArray trailer(uchar state, uchar counter) {
    QByteArray record(32, char(0xFF));
    record.replace(12, 8, QByteArray(8, '\0'));
    record[20] = char(state);
    record[21] = char(counter);
    return record;
}

CardAudioEntry entry(const QString& base, int kind, const QString& dataName) {
    CardAudioEntry made;
    made.baseName = base;
    made.extension = QStringLiteral("WV7");
    made.kind = kind;
    made.dataSize = 176400 * 3;
    made.seconds = 3;
    made.dataName = dataName;
    return made;
}

CardAudioControlFile fileWith(const QList<CardAudioEntry>& entries) {
    CardAudioControlFile file;
    for (const CardAudioEntry& item : entries)
        file.append(item);
    return file;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The file's own write bits ("User" only says whether this process may
// write, which root always may).
constexpr QFile::Permissions kWritePermissions =
    QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

} // namespace

class TestCardAudioControlFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }
    void cleanup() { FreeSpace::clearOverride(); }

    void readsEntriesAndTrailer();
    void trailerAloneRoundTrips();
    void unsetTrailerRoundTrips();
    void rejectsMalformedFiles_data();
    void rejectsMalformedFiles();
    void keepsEntriesBeforeABadRecord();
    void ignoresRecordsAfterTheTrailer();
    void fileWithoutTrailerGetsOne();
    void leavesInvalidEntriesOut();
    void holdsNineHundredNinetyNineEntries();
    void countsPositionsPerKind();
    void replacesOnlyPlayOnlyEntries();
    void removesOnlyNamedEntriesInRange();
    void removesPlayOnlyEntriesWhoseFilesAreGone();
    void comparesNamesWithoutTrailingSpace();
    void makesDataNamesUnique_data();
    void makesDataNamesUnique();
    void missingFileCannotBeRead();
    void savesUnderProtection();
    void fullCardKeepsTheOldFile();
    void protectionOfMissingFiles();

private:
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

void TestCardAudioControlFile::readsEntriesAndTrailer() {
    const QByteArray image = entryRecord("_A1B2C3D", "WV7", 2, 1764000, 10, "Piano") +
                             entryRecord("REC00001", "WV7", 0, 0, 0, "Take 1  ") +
                             entryRecord("X", "", 1, -5, 7, "Twelve chars") + trailer(0, 42);
    CardAudioControlFile file;
    QCOMPARE(file.fromByteArray(image), int(FileOk));
    QCOMPARE(file.count(), 3);
    const CardAudioEntry first = file.entries().at(0);
    QCOMPARE(first.baseName, QStringLiteral("_A1B2C3D"));
    QCOMPARE(first.extension, QStringLiteral("WV7"));
    QCOMPARE(first.kind, 2);
    QCOMPARE(first.dataSize, 1764000);
    QCOMPARE(first.seconds, 10);
    // Trailing spaces are part of the stored name.
    QCOMPARE(first.dataName, QStringLiteral("Piano       "));
    QCOMPARE(first.fileName(), QStringLiteral("_A1B2C3D.WV7"));
    QCOMPARE(file.entries().at(2).extension, QString());
    QCOMPARE(file.entries().at(2).dataSize, -5);
    QCOMPARE(file.trailerState(), 0);
    QCOMPARE(file.trailerCounter(), 42);
    QVERIFY(file.isValid());

    QByteArray written;
    QCOMPARE(file.toByteArray(written), int(FileOk));
    QCOMPARE(written, image);
}

void TestCardAudioControlFile::trailerAloneRoundTrips() {
    CardAudioControlFile file;
    QCOMPARE(file.fromByteArray(trailer(0, 7)), int(FileOk));
    QCOMPARE(file.count(), 0);
    QCOMPARE(file.trailerState(), 0);
    QCOMPARE(file.trailerCounter(), 7);
    QByteArray written;
    QCOMPARE(file.toByteArray(written), int(FileOk));
    QCOMPARE(written, trailer(0, 7));
}

void TestCardAudioControlFile::unsetTrailerRoundTrips() {
    const QByteArray image = entryRecord("A", "WV7", 0, 1, 0, "x") + trailer(0xFF, 0xFF);
    CardAudioControlFile file;
    QCOMPARE(file.fromByteArray(image), int(FileOk));
    QCOMPARE(file.trailerState(), 255);
    QByteArray written;
    file.toByteArray(written);
    QCOMPARE(written, image);

    CardAudioControlFile fresh;
    QCOMPARE(fresh.trailerState(), 255);
    fresh.toByteArray(written);
    QCOMPARE(written, trailer(0xFF, 0xFF));
}

void TestCardAudioControlFile::rejectsMalformedFiles_data() {
    QTest::addColumn<QByteArray>("image");

    QTest::newRow("33 bytes") << trailer(0, 1) + QByteArray(1, '\0');
    QTest::newRow("31 bytes") << trailer(0, 1).left(31);
    // A counter of 150 is no trailer; read as an entry its kind is 255.
    QTest::newRow("counter 150") << trailer(0, 150);
    QTest::newRow("state 0xFF with counter 3") << trailer(0xFF, 3);
    QTest::newRow("kind 3") << entryRecord("A", "WV7", 3, 0, 0, "x") + trailer(0, 0);
    QTest::newRow("kind 255") << entryRecord("A", "WV7", 255, 0, 0, "x") + trailer(0, 0);
}

void TestCardAudioControlFile::rejectsMalformedFiles() {
    QFETCH(QByteArray, image);
    CardAudioControlFile file;
    QCOMPARE(file.fromByteArray(image), int(FileFormatError));
}

void TestCardAudioControlFile::keepsEntriesBeforeABadRecord() {
    const QByteArray image = entryRecord("A", "WV7", 2, 10, 0, "first") +
                             entryRecord("B", "WV7", 9, 10, 0, "bad") +
                             entryRecord("C", "WV7", 2, 10, 0, "third") + trailer(0, 0);
    CardAudioControlFile file;
    QCOMPARE(file.fromByteArray(image), int(FileFormatError));
    QCOMPARE(file.count(), 1);
    QCOMPARE(file.entries().at(0).baseName, QStringLiteral("A"));
}

void TestCardAudioControlFile::ignoresRecordsAfterTheTrailer() {
    const QByteArray image = entryRecord("A", "WV7", 2, 10, 0, "first") + trailer(0, 5) +
                             entryRecord("B", "WV7", 9, 10, 0, "after");
    CardAudioControlFile file;
    QCOMPARE(file.fromByteArray(image), int(FileOk));
    QCOMPARE(file.count(), 1);
    QCOMPARE(file.trailerCounter(), 5);
}

void TestCardAudioControlFile::fileWithoutTrailerGetsOne() {
    CardAudioControlFile file;
    QCOMPARE(file.fromByteArray({}), int(FileOk));
    QCOMPARE(file.count(), 0);
    QCOMPARE(file.trailerState(), 255);

    const QByteArray entryOnly = entryRecord("A", "WV7", 1, 10, 0, "only");
    QCOMPARE(file.fromByteArray(entryOnly), int(FileOk));
    QCOMPARE(file.count(), 1);
    QByteArray written;
    file.toByteArray(written);
    QCOMPARE(written, entryOnly + trailer(0xFF, 0xFF));
}

void TestCardAudioControlFile::leavesInvalidEntriesOut() {
    CardAudioControlFile file =
        fileWith({entry("GOOD", 2, "kept"), entry("TOOLONGNAME", 2, "x"), entry("BAD", 5, "kind")});
    QVERIFY(!file.isValid());
    QByteArray written;
    QCOMPARE(file.toByteArray(written), int(FileOk));
    QCOMPARE(written.size(), 64);
    CardAudioControlFile reread;
    QCOMPARE(reread.fromByteArray(written), int(FileOk));
    QCOMPARE(reread.count(), 1);
    QCOMPARE(reread.entries().at(0).baseName, QStringLiteral("GOOD"));
}

void TestCardAudioControlFile::holdsNineHundredNinetyNineEntries() {
    CardAudioControlFile file;
    for (int i = 0; i < CardAudioControlFile::kMaxEntries; ++i)
        file.append(entry(QStringLiteral("_%1").arg(i, 7, 16, QLatin1Char('0')).toUpper(), i % 3,
                          QStringLiteral("Name %1").arg(i)));
    file.setTrailer(0, 99);
    QByteArray written;
    QCOMPARE(file.toByteArray(written), int(FileOk));
    QCOMPARE(written.size(), 1000 * 32);
    CardAudioControlFile reread;
    QCOMPARE(reread.fromByteArray(written), int(FileOk));
    QCOMPARE(reread.count(), 999);
    QCOMPARE(reread.trailerCounter(), 99);
    for (int i = 0; i < reread.count(); ++i) {
        CardAudioEntry expected = file.entries().at(i);
        expected.dataName = expected.dataName.leftJustified(12, QLatin1Char(' '));
        QCOMPARE(reread.entries().at(i), expected);
    }
}

void TestCardAudioControlFile::countsPositionsPerKind() {
    const CardAudioControlFile file =
        fileWith({entry("R0", 0, "rec a"), entry("P0", 2, "play a"), entry("R1", 0, "rec b"),
                  entry("P1", 1, "play b"), entry("P2", 2, "play c")});
    QCOMPARE(file.findPlayOnlyByPosition(0)->baseName, QStringLiteral("P0"));
    QCOMPARE(file.findPlayOnlyByPosition(1)->baseName, QStringLiteral("P1"));
    QCOMPARE(file.findPlayOnlyByPosition(2)->baseName, QStringLiteral("P2"));
    QVERIFY(!file.findPlayOnlyByPosition(3));
    QVERIFY(!file.findPlayOnlyByPosition(-1));
    QCOMPARE(file.findRecordableByPosition(1)->baseName, QStringLiteral("R1"));
    QVERIFY(!file.findRecordableByPosition(2));
    QCOMPARE(file.listIndexOfPlayOnly(1), 3);
    QCOMPARE(file.listIndexOfRecordable(1), 2);
    QCOMPARE(file.listIndexOfRecordable(5), -1);
}

void TestCardAudioControlFile::replacesOnlyPlayOnlyEntries() {
    CardAudioControlFile file = fileWith({entry("R0", 0, "rec a"), entry("P0", 2, "play a"),
                                          entry("R1", 0, "rec b"), entry("P1", 1, "play b")});
    file.replaceAtPosition(1, entry("NEW", 2, "new one"));
    file.replaceAtPosition(2, entry("NONE", 2, "nowhere"));
    QByteArray written;
    file.toByteArray(written);
    CardAudioControlFile reread;
    QCOMPARE(reread.fromByteArray(written), int(FileOk));
    QStringList order;
    for (const CardAudioEntry& item : reread.entries())
        order.append(item.baseName);
    // Both kinds keep their places in the list.
    QCOMPARE(order, (QStringList{"R0", "P0", "R1", "NEW"}));
    QCOMPARE(reread.entries().at(3).dataName.trimmed(), QStringLiteral("new one"));
}

void TestCardAudioControlFile::removesOnlyNamedEntriesInRange() {
    CardAudioControlFile file =
        fileWith({entry("A", 2, "a"), entry("", 2, "nameless"), entry("C", 0, "c")});
    file.removeAtListIndex(3);
    file.removeAtListIndex(-1);
    file.removeAtListIndex(1);
    QCOMPARE(file.count(), 3);
    file.removeAtListIndex(0);
    QCOMPARE(file.count(), 2);
    QCOMPARE(file.entries().at(0).dataName, QStringLiteral("nameless"));
}

void TestCardAudioControlFile::removesPlayOnlyEntriesWhoseFilesAreGone() {
    const QString folder = path(QStringLiteral("gone"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeAll(folder + QStringLiteral("/HERE.WV7"), "x"));
    QVERIFY(writeAll(folder + QStringLiteral("/REC.WV7"), "x"));
    CardAudioControlFile file = fileWith({entry("HERE", 2, "here"), entry("GONE", 1, "gone"),
                                          entry("LOST", 0, "rec, no file"), entry("REC", 0, "r")});
    QCOMPARE(file.removePlayOnlyEntriesWithoutFile(QDir(folder)), 1);
    QStringList left;
    for (const CardAudioEntry& item : file.entries())
        left.append(item.baseName);
    QCOMPARE(left, (QStringList{"HERE", "LOST", "REC"}));
}

void TestCardAudioControlFile::comparesNamesWithoutTrailingSpace() {
    const CardAudioControlFile file =
        fileWith({entry("A", 2, "Piano       "), entry("B", 0, " Lead")});
    QVERIFY(file.nameExists(QStringLiteral("Piano")));
    QVERIFY(file.nameExists(QStringLiteral("Piano \t")));
    QVERIFY(!file.nameExists(QStringLiteral("piano")));
    QVERIFY(!file.nameExists(QStringLiteral("Lead")));
    QVERIFY(file.nameExists(QStringLiteral(" Lead")));
}

void TestCardAudioControlFile::makesDataNamesUnique_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("unique");

    QTest::newRow("free") << QStringList{"Organ"} << "Piano"
                          << "Piano";
    QTest::newRow("free, padded") << QStringList{"Organ"} << "Piano       "
                                  << "Piano       ";
    QTest::newRow("Piano(3)") << QStringList{"Piano", "Piano(2)"} << "Piano"
                              << "Piano(3)";
    QTest::newRow("padded name") << QStringList{"Name        "} << "Name        "
                                 << "Name(2)";
    QTest::newRow("12 characters") << QStringList{"LongNameHere"} << "LongNameHere"
                                   << "LongNameH(2)";
    QTest::newRow("9 characters fit") << QStringList{"NineChars"} << "NineChars"
                                      << "NineChars(2)";
    QTest::newRow("two-digit suffix") << QStringList{"ABCDEFGHIJ",   "ABCDEFGHI(2)", "ABCDEFGHI(3)",
                                                     "ABCDEFGHI(4)", "ABCDEFGHI(5)", "ABCDEFGHI(6)",
                                                     "ABCDEFGHI(7)", "ABCDEFGHI(8)", "ABCDEFGHI(9)"}
                                      << "ABCDEFGHIJ"
                                      << "ABCDEFGH(10)";
}

void TestCardAudioControlFile::makesDataNamesUnique() {
    QFETCH(QStringList, existing);
    QFETCH(QString, name);
    QFETCH(QString, unique);
    CardAudioControlFile file;
    for (const QString& taken : existing)
        file.append(entry(QStringLiteral("F"), 2, taken));
    QCOMPARE(file.uniqueDataName(name), unique);
    QVERIFY(unique.size() <= CardAudioEntry::kMaxDataNameLength);
}

void TestCardAudioControlFile::missingFileCannotBeRead() {
    CardAudioControlFile file;
    file.append(entry("A", 2, "a"));
    QCOMPARE(file.load(path(QStringLiteral("nowhere/TAVROWAV.DIR"))), int(FileCannotRead));
}

void TestCardAudioControlFile::savesUnderProtection() {
    const QString control = path(QLatin1String(CardAudioControlFile::kFileName));
    CardAudioControlFile file = fileWith({entry("A", 2, "first")});
    QCOMPARE(file.save(control), int(FileOk));
    QCOMPARE(QFileInfo(control).permissions() & kWritePermissions, QFile::Permissions());

    // A protected file is still replaced by the next save, and protected again.
    file.append(entry("B", 0, "second"));
    QCOMPARE(file.save(control), int(FileOk));
    QCOMPARE(QFileInfo(control).permissions() & kWritePermissions, QFile::Permissions());
    CardAudioControlFile reread;
    QCOMPARE(reread.load(control), int(FileOk));
    QCOMPARE(reread.count(), 2);
    QCOMPARE(reread.entries().at(1).baseName, QStringLiteral("B"));
}

void TestCardAudioControlFile::fullCardKeepsTheOldFile() {
    const QString control = path(QStringLiteral("full.DIR"));
    CardAudioControlFile file = fileWith({entry("A", 2, "old")});
    QCOMPARE(file.save(control), int(FileOk));
    const QByteArray before = readAll(control);

    file.append(entry("B", 2, "new"));
    FreeSpace::setOverride(63);
    QCOMPARE(file.save(control), int(FileCannotWrite));
    FreeSpace::clearOverride();
    QCOMPARE(readAll(control), before);
    QCOMPARE(QFileInfo(control).permissions() & kWritePermissions, QFile::Permissions());
}

void TestCardAudioControlFile::protectionOfMissingFiles() {
    const QString missing = path(QStringLiteral("missing.WV7"));
    QVERIFY(CardFileProtection::unprotect(missing));
    QVERIFY(!CardFileProtection::protect(missing));
    const QString audio = path(QStringLiteral("_1234567.WV7"));
    QVERIFY(writeAll(audio, "RIFF"));
    QVERIFY(CardFileProtection::protect(audio));
    QCOMPARE(QFileInfo(audio).permissions() & kWritePermissions, QFile::Permissions());
    QVERIFY(CardFileProtection::unprotect(audio));
    QVERIFY(QFileInfo(audio).permissions() & QFile::WriteOwner);
}

QTEST_GUILESS_MAIN(TestCardAudioControlFile)
#include "tst_CardAudioControlFile.moc"
