#include "etc/ZipHandler.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using zel::qmix::etc::ZipHandler;

namespace {

using Entries = QList<QPair<QString, QByteArray>>;

constexpr quint32 kLocalSignature = 0x04034b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kEndSignature = 0x06054b50;

quint32 crc32Of(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// A zip archive of stored (uncompressed) entries, built byte by byte, so
// that entry names the program itself would never write can be tried.
QByteArray storedArchive(const QList<QPair<QByteArray, QByteArray>>& entries) {
    QByteArray archive;
    QByteArray central;
    for (const auto& entry : entries) {
        const quint32 offset = static_cast<quint32>(archive.size());
        const quint32 crc = crc32Of(entry.second);
        const quint32 size = static_cast<quint32>(entry.second.size());
        put32(archive, kLocalSignature);
        put16(archive, 20);
        put16(archive, 0);
        put16(archive, 0);
        put32(archive, 0);
        put32(archive, crc);
        put32(archive, size);
        put32(archive, size);
        put16(archive, static_cast<quint16>(entry.first.size()));
        put16(archive, 0);
        archive += entry.first + entry.second;

        put32(central, kCentralSignature);
        put16(central, 20);
        put16(central, 20);
        put16(central, 0);
        put16(central, 0);
        put32(central, 0);
        put32(central, crc);
        put32(central, size);
        put32(central, size);
        put16(central, static_cast<quint16>(entry.first.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, 0);
        put32(central, offset);
        central += entry.first;
    }
    const quint32 centralOffset = static_cast<quint32>(archive.size());
    archive += central;
    put32(archive, kEndSignature);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, static_cast<quint16>(entries.size()));
    put16(archive, static_cast<quint16>(entries.size()));
    put32(archive, static_cast<quint32>(central.size()));
    put32(archive, centralOffset);
    put16(archive, 0);
    return archive;
}

QList<int> offsetsOf(const QByteArray& archive, quint32 signature) {
    char bytes[4];
    qToLittleEndian(signature, bytes);
    const QByteArray needle(bytes, 4);
    QList<int> offsets;
    for (qsizetype at = archive.indexOf(needle); at >= 0; at = archive.indexOf(needle, at + 1))
        offsets.append(static_cast<int>(at));
    return offsets;
}

quint32 get32(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 get16(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

// Rewrites a field of the first entry in both its local and its central
// header, as a forger would, so the archive stays self-consistent apart
// from the lie.
void forgeFirstEntry(QByteArray& archive, int localOffset, int centralOffset, quint32 value) {
    const int local = offsetsOf(archive, kLocalSignature).first();
    const int central = offsetsOf(archive, kCentralSignature).first();
    qToLittleEndian(value, archive.data() + local + localOffset);
    qToLittleEndian(value, archive.data() + central + centralOffset);
}

void forgeUncompressedSize(QByteArray& archive, quint32 size) {
    forgeFirstEntry(archive, 22, 24, size);
}

void forgeCrc(QByteArray& archive, quint32 crc) {
    forgeFirstEntry(archive, 14, 16, crc);
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray pattern(int size, int seed) {
    QByteArray bytes(size, '\0');
    quint32 state = static_cast<quint32>(seed) * 2654435761u + 1u;
    for (int i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

QStringList everythingIn(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(folder).relativeFilePath(it.next()));
    found.sort();
    return found;
}

Entries sampleEntries() {
    return {
        {QStringLiteral("package.dat"), QByteArray("index text\n")},
        {QStringLiteral("0.AC7"), pattern(5000, 1)},
        {QStringLiteral("empty.bin"), QByteArray()},
        {QStringLiteral("3.CMS"), QByteArray(100000, 'z')},
    };
}

} // namespace

class tst_ZipHandler : public QObject {
    Q_OBJECT

private slots:
    void writtenArchiveReadsBackEntryByEntry();
    void writtenArchivePassesUnzipTest();
    void writtenEntriesAreDeflatedWithoutTimeOrPassword();
    void writtenArchiveReplacesAnExistingFile();
    void writeRefusesEntryNamesThatAreNoPlainFileNames();
    void writeToAnUnwritablePlaceFails();
    void archiveOfAStandardZipToolReads_data();
    void archiveOfAStandardZipToolReads();
    void readFailures_data();
    void readFailures();
    void failedReadLeavesTheOutputAlone();
    void entryOfExactlyTheLimitReads();
    void entryOverTheLimitIsRefused();
    void forgedSizesAreReadErrors_data();
    void forgedSizesAreReadErrors();
    void entrySizesAreTheRecordedOnes();
    void extractAllWritesEveryEntry();
    void extractAllRefusesNamesLeavingTheFolder_data();
    void extractAllRefusesNamesLeavingTheFolder();
    void extractAllIntoAMissingFolderIsAWriteError();
    void extractAllOfAnUnreadableArchive();
    void extractCurrentWithoutArchiveIsAReadError();
    void plainFileNames_data();
    void plainFileNames();
};

void tst_ZipHandler::writtenArchiveReadsBackEntryByEntry() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    const Entries entries = sampleEntries();
    QCOMPARE(ZipHandler::writeArchive(path, entries), 0);
    for (const auto& entry : entries) {
        QByteArray out("stale");
        QCOMPARE(ZipHandler::readEntry(path, entry.first, out), 0);
        QCOMPARE(out, entry.second);
    }
}

void tst_ZipHandler::writtenArchivePassesUnzipTest() {
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (unzip.isEmpty())
        QSKIP("the unzip tool is not installed");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    QCOMPARE(ZipHandler::writeArchive(path, sampleEntries()), 0);

    QProcess process;
    process.start(unzip, {QStringLiteral("-t"), path});
    QVERIFY(process.waitForFinished(30000));
    const QByteArray report = process.readAllStandardOutput();
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             report.constData());
    QVERIFY2(report.contains("No errors detected"), report.constData());
}

void tst_ZipHandler::writtenEntriesAreDeflatedWithoutTimeOrPassword() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    const Entries entries = sampleEntries();
    QCOMPARE(ZipHandler::writeArchive(path, entries), 0);
    const QByteArray archive = readBytes(path);

    const QList<int> central = offsetsOf(archive, kCentralSignature);
    QCOMPARE(central.size(), entries.size());
    for (int i = 0; i < central.size(); ++i) {
        const int at = central.at(i);
        QCOMPARE(get16(archive, at + 8) & 1, 0);       // not encrypted
        QCOMPARE(get16(archive, at + 10), quint16(8)); // deflate
        QCOMPARE(get16(archive, at + 12), quint16(0)); // time of day
        QCOMPARE(get16(archive, at + 14) >> 9, 0);     // no year past 1980
        const int nameLength = get16(archive, at + 28);
        QCOMPARE(QString::fromLatin1(archive.mid(at + 46, nameLength)), entries.at(i).first);
    }
    // "package.dat" comes first, as written.
    QCOMPARE(QString::fromLatin1(archive.mid(30, 11)), QStringLiteral("package.dat"));
    // The long run of one letter really was compressed.
    QVERIFY(archive.size() < 100000);
}

void tst_ZipHandler::writtenArchiveReplacesAnExistingFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    QVERIFY(writeBytes(path, QByteArray(200000, 'x')));
    QCOMPARE(ZipHandler::writeArchive(path, {{QStringLiteral("one"), QByteArray("1")}}), 0);
    QByteArray out;
    QCOMPARE(ZipHandler::readEntry(path, QStringLiteral("one"), out), 0);
    QCOMPARE(out, QByteArray("1"));
    QVERIFY(QFileInfo(path).size() < 1000);
}

void tst_ZipHandler::writeRefusesEntryNamesThatAreNoPlainFileNames() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    const Entries entries = {{QStringLiteral("fine"), QByteArray("1")},
                             {QStringLiteral("../escape"), QByteArray("2")}};
    QCOMPARE(ZipHandler::writeArchive(path, entries), 2);
    QVERIFY(!QFile::exists(path));
}

void tst_ZipHandler::writeToAnUnwritablePlaceFails() {
    QTemporaryDir folder;
    QCOMPARE(
        ZipHandler::writeArchive(folder.filePath(QStringLiteral("missing/a.PK7")), sampleEntries()),
        2);
    QCOMPARE(ZipHandler::writeArchive(folder.path(), sampleEntries()), 2);
    QVERIFY(QFileInfo(folder.path()).isDir());
}

void tst_ZipHandler::archiveOfAStandardZipToolReads_data() {
    QTest::addColumn<QStringList>("options");
    QTest::newRow("deflated") << QStringList{QStringLiteral("-9")};
    QTest::newRow("stored") << QStringList{QStringLiteral("-0")};
}

void tst_ZipHandler::archiveOfAStandardZipToolReads() {
    QFETCH(QStringList, options);
    const QString zip = QStandardPaths::findExecutable(QStringLiteral("zip"));
    if (zip.isEmpty())
        QSKIP("the zip tool is not installed");
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("src"));
    QVERIFY(QDir().mkpath(source));
    const Entries entries = sampleEntries();
    for (const auto& entry : entries)
        QVERIFY(writeBytes(QDir(source).filePath(entry.first), entry.second));

    const QString path = folder.filePath(QStringLiteral("tool.zip"));
    QProcess process;
    process.setWorkingDirectory(source);
    QStringList arguments = options;
    arguments << QStringLiteral("-q") << QStringLiteral("-X") << path;
    for (const auto& entry : entries)
        arguments << entry.first;
    process.start(zip, arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);

    for (const auto& entry : entries) {
        QByteArray out;
        QCOMPARE(ZipHandler::readEntry(path, entry.first, out), 0);
        QCOMPARE(out, entry.second);
    }
    const QString extracted = folder.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(extracted));
    QCOMPARE(ZipHandler::extractAll(path, QDir(extracted)), 0);
    for (const auto& entry : entries)
        QCOMPARE(readBytes(QDir(extracted).filePath(entry.first)), entry.second);
}

void tst_ZipHandler::readFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("no archive") << "missing";
    QTest::newRow("not a zip archive") << "garbage";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("folder instead of archive") << "folder";
    QTest::newRow("entry not in the archive") << "no entry";
    QTest::newRow("empty entry name") << "empty name";
    QTest::newRow("truncated archive") << "truncated";
    QTest::newRow("checksum mismatch") << "crc";
}

void tst_ZipHandler::readFailures() {
    QFETCH(QString, kind);
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("a.PK7"));
    QString entry = QStringLiteral("0.AC7");
    QCOMPARE(ZipHandler::writeArchive(path, sampleEntries()), 0);
    QByteArray archive = readBytes(path);

    if (kind == QLatin1String("missing")) {
        path = folder.filePath(QStringLiteral("missing.PK7"));
    } else if (kind == QLatin1String("garbage")) {
        QVERIFY(writeBytes(path, pattern(4000, 9)));
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(writeBytes(path, QByteArray()));
    } else if (kind == QLatin1String("folder")) {
        path = folder.path();
    } else if (kind == QLatin1String("no entry")) {
        entry = QStringLiteral("1.AC7");
    } else if (kind == QLatin1String("empty name")) {
        entry.clear();
    } else if (kind == QLatin1String("truncated")) {
        QVERIFY(writeBytes(path, archive.left(archive.size() / 2)));
    } else if (kind == QLatin1String("crc")) {
        QCOMPARE(ZipHandler::writeArchive(path, {{entry, pattern(3000, 2)}}), 0);
        archive = readBytes(path);
        forgeCrc(archive, get32(archive, 14) ^ 1u);
        QVERIFY(writeBytes(path, archive));
    }
    QByteArray out;
    QCOMPARE(ZipHandler::readEntry(path, entry, out), 2);
}

void tst_ZipHandler::failedReadLeavesTheOutputAlone() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    QCOMPARE(ZipHandler::writeArchive(path, sampleEntries()), 0);
    QByteArray out("what the caller had");
    QCOMPARE(ZipHandler::readEntry(path, QStringLiteral("nothing"), out), 2);
    QCOMPARE(out, QByteArray("what the caller had"));
}

void tst_ZipHandler::entryOfExactlyTheLimitReads() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("big.PK7"));
    const QByteArray big(static_cast<qsizetype>(ZipHandler::kMaxEntrySize), 'b');
    QCOMPARE(ZipHandler::writeArchive(path, {{QStringLiteral("big"), big}}), 0);
    QByteArray out;
    QCOMPARE(ZipHandler::readEntry(path, QStringLiteral("big"), out), 0);
    QCOMPARE(out.size(), big.size());
    QCOMPARE(out.count('b'), big.size());
}

void tst_ZipHandler::entryOverTheLimitIsRefused() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("big.PK7"));
    const QByteArray big(static_cast<qsizetype>(ZipHandler::kMaxEntrySize) + 1, 'b');
    QCOMPARE(ZipHandler::writeArchive(path, {{QStringLiteral("big"), big}}), 0);
    QByteArray out;
    QCOMPARE(ZipHandler::readEntry(path, QStringLiteral("big"), out), 2);
    QVERIFY(out.isEmpty());

    const QString extracted = folder.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(extracted));
    QCOMPARE(ZipHandler::extractAll(path, QDir(extracted)), 2);
    QVERIFY(everythingIn(extracted).isEmpty());
}

void tst_ZipHandler::forgedSizesAreReadErrors_data() {
    QTest::addColumn<bool>("deflated");
    QTest::addColumn<qint64>("recordedSize");
    // The entry really holds 3000 bytes.
    QTest::newRow("deflated, claims 2 GB") << true << qint64(0x7FFFFFFF);
    QTest::newRow("deflated, claims 4 GB") << true << qint64(0xFFFFFFFF);
    QTest::newRow("deflated, claims one byte over the limit")
        << true << qint64(ZipHandler::kMaxEntrySize + 1);
    QTest::newRow("deflated, claims one byte more") << true << qint64(3001);
    QTest::newRow("deflated, claims one byte less") << true << qint64(2999);
    QTest::newRow("deflated, claims nothing") << true << qint64(0);
    QTest::newRow("stored, claims 2 GB") << false << qint64(0x7FFFFFFF);
    QTest::newRow("stored, claims one byte more") << false << qint64(3001);
    QTest::newRow("stored, claims one byte less") << false << qint64(2999);
}

void tst_ZipHandler::forgedSizesAreReadErrors() {
    QFETCH(bool, deflated);
    QFETCH(qint64, recordedSize);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("forged.PK7"));
    const QByteArray content = pattern(3000, 4);
    QByteArray archive;
    if (deflated) {
        QCOMPARE(ZipHandler::writeArchive(path, {{QStringLiteral("0.AC7"), content}}), 0);
        archive = readBytes(path);
    } else {
        archive = storedArchive({{"0.AC7", content}});
    }
    forgeUncompressedSize(archive, static_cast<quint32>(recordedSize));
    QVERIFY(writeBytes(path, archive));

    QByteArray out;
    QCOMPARE(ZipHandler::readEntry(path, QStringLiteral("0.AC7"), out), 2);
    const QString extracted = folder.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(extracted));
    QCOMPARE(ZipHandler::extractAll(path, QDir(extracted)), 2);
    QVERIFY(everythingIn(extracted).isEmpty());
}

void tst_ZipHandler::entrySizesAreTheRecordedOnes() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    QCOMPARE(ZipHandler::writeArchive(path, sampleEntries()), 0);
    QList<qint64> sizes;
    QCOMPARE(ZipHandler::entrySizes(
                 path,
                 {QStringLiteral("3.CMS"), QStringLiteral("empty.bin"), QStringLiteral("0.AC7")},
                 sizes),
             0);
    QCOMPARE(sizes, (QList<qint64>{100000, 0, 5000}));

    QList<qint64> kept{1, 2};
    QCOMPARE(ZipHandler::entrySizes(path, {QStringLiteral("0.AC7"), QStringLiteral("gone")}, kept),
             2);
    QCOMPARE(kept, (QList<qint64>{1, 2}));
    QCOMPARE(ZipHandler::entrySizes(folder.filePath(QStringLiteral("none")), {}, kept), 2);
}

void tst_ZipHandler::extractAllWritesEveryEntry() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    const Entries entries = sampleEntries();
    QCOMPARE(ZipHandler::writeArchive(path, entries), 0);
    const QString extracted = folder.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(extracted));
    QVERIFY(writeBytes(QDir(extracted).filePath(QStringLiteral("0.AC7")), "older"));

    QCOMPARE(ZipHandler::extractAll(path, QDir(extracted)), 0);
    QStringList expected;
    for (const auto& entry : entries) {
        expected.append(entry.first);
        QCOMPARE(readBytes(QDir(extracted).filePath(entry.first)), entry.second);
    }
    expected.sort();
    QCOMPARE(everythingIn(extracted), expected);
}

void tst_ZipHandler::extractAllRefusesNamesLeavingTheFolder_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("parent folder") << QByteArray("../outside.bin");
    QTest::newRow("parent folder, backslash") << QByteArray("..\\outside.bin");
    QTest::newRow("absolute path") << QByteArray("ABSOLUTE");
    QTest::newRow("absolute path, backslash") << QByteArray("\\outside.bin");
    QTest::newRow("sub folder") << QByteArray("sub/inner.bin");
    QTest::newRow("sub folder, backslash") << QByteArray("sub\\inner.bin");
    QTest::newRow("folder entry") << QByteArray("sub/");
    QTest::newRow("drive letter") << QByteArray("C:outside.bin");
    QTest::newRow("drive and root") << QByteArray("C:\\outside.bin");
    QTest::newRow("empty name") << QByteArray("");
    QTest::newRow("dot") << QByteArray(".");
    QTest::newRow("dot dot") << QByteArray("..");
}

void tst_ZipHandler::extractAllRefusesNamesLeavingTheFolder() {
    QFETCH(QByteArray, name);
    QTemporaryDir folder;
    const QString extracted = folder.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(extracted));
    if (name == "ABSOLUTE")
        name = QFile::encodeName(folder.filePath(QStringLiteral("outside.bin")));

    // A harmless entry before the hostile one: nothing at all is written.
    const QString path = folder.filePath(QStringLiteral("hostile.zip"));
    QVERIFY(writeBytes(path, storedArchive({{"harmless.bin", "fine"}, {name, "payload"}})));

    QCOMPARE(ZipHandler::extractAll(path, QDir(extracted)), 2);
    QCOMPARE(everythingIn(folder.path()),
             (QStringList{QStringLiteral("hostile.zip"), QStringLiteral("out")}));
}

void tst_ZipHandler::extractAllIntoAMissingFolderIsAWriteError() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("a.PK7"));
    QCOMPARE(ZipHandler::writeArchive(path, sampleEntries()), 0);
    QCOMPARE(ZipHandler::extractAll(path, QDir(folder.filePath(QStringLiteral("missing")))), 3);
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("missing"))));
}

void tst_ZipHandler::extractAllOfAnUnreadableArchive() {
    QTemporaryDir folder;
    QCOMPARE(
        ZipHandler::extractAll(folder.filePath(QStringLiteral("none.zip")), QDir(folder.path())),
        2);
    const QString garbage = folder.filePath(QStringLiteral("garbage.zip"));
    QVERIFY(writeBytes(garbage, pattern(1000, 3)));
    QCOMPARE(ZipHandler::extractAll(garbage, QDir(folder.path())), 2);
    QCOMPARE(everythingIn(folder.path()), QStringList{QStringLiteral("garbage.zip")});
}

void tst_ZipHandler::extractCurrentWithoutArchiveIsAReadError() {
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("x"));
    QCOMPARE(ZipHandler::extractCurrent(nullptr, target), 2);
    QVERIFY(!QFile::exists(target));
}

void tst_ZipHandler::plainFileNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("entry") << "0.AC7" << true;
    QTest::newRow("index") << "package.dat" << true;
    QTest::newRow("no suffix") << "0." << true;
    QTest::newRow("leading dots") << "...x" << true;
    QTest::newRow("non-ASCII") << QStringLiteral("Lied_ä.CMS") << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("drive") << "C:x" << false;
    QTest::newRow("stream") << "x:y" << false;
    QTest::newRow("nul") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")) << false;
}

void tst_ZipHandler::plainFileNames() {
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QCOMPARE(ZipHandler::isPlainFileName(name), plain);
}

QTEST_GUILESS_MAIN(tst_ZipHandler)
#include "tst_ZipHandler.moc"
