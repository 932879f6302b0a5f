#include "FileImages.h"
#include "ModelScope.h"
#include "tests/support/FileSizeLimit.h"

#include "data/Zq11Info.h"
#include "etc/ZipHandler.h"
#include "file/FreeSpace.h"
#include "file/PackageFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

#include <memory>

using namespace zel::qmix;
using file::PackageArea;
using file::PackageFile;

namespace {

const QByteArray kIndexHeader("TAVRO ZEL TONEHARBOUR PACKAGE FILE");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entriesOf(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

QByteArray indexFile(const QByteArray& modelLine, const QList<QByteArray>& lines) {
    QByteArray text = kIndexHeader + "\nVERSION:1\n" + modelLine + '\n';
    for (const QByteArray& line : lines)
        text += line + '\n';
    return text;
}

PackageArea archiveArea(const QString& entryName, const QString& dataName) {
    PackageArea area;
    area.entryName = entryName;
    area.dataName = dataName;
    return area;
}

QByteArray song(int payloadSize, int seed) {
    return FileImages::common("TAV1", "PRV-1200", 0, FileImages::pattern(payloadSize, seed));
}

// Bytes that do not compress, for archives that must be as large as their data.
QByteArray noise(int size, quint32 seed) {
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(seed);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QByteArray tone(int payloadSize, int seed) {
    return FileImages::common("TN7F", "PRV-1200", 0, FileImages::pattern(payloadSize, seed));
}

// Runs a tool from the system; false with the reason in `output` if it is
// missing or fails.
bool runTool(const QString& program, const QStringList& arguments, const QString& workingDir,
             QByteArray* output) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    QProcess process;
    process.setWorkingDirectory(workingDir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(path, arguments);
    const bool finished = process.waitForFinished(30000);
    *output = process.readAll();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class tst_PackageFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newPackageHasEmptyAreasForEveryCategoryOfTheModel();
    void newPackageForAnUnknownModelHasNoAreas();
    void indexTextOfOneRhythm();
    void indexRejections_data();
    void indexRejections();
    void indexLines();
    void indexEndsAtTheFirstEmptyLine();

    void saveAndLoadRoundTrip();
    void savedArchivePassesUnzipTest();
    void packageOfAStandardZipToolLoads();
    void loadedPackageSavesOverItsOwnArchive();
    void entriesOfDifferentCategoriesNeverShareAName();
    void failedSaveLeavesTheOldPackage_data();
    void failedSaveLeavesTheOldPackage();
    void packagesThatWouldNotReadBackAreNotSaved();
    void loadFailuresLeaveThePackageAlone_data();
    void loadFailuresLeaveThePackageAlone();

    void readOfAreasWithoutData_data();
    void readOfAreasWithoutData();
    void readFailures_data();
    void readFailures();
    void dataNameOfArchiveAndPcAreas();
    void setAreaExtendsTheList();
    void setFile_data();
    void setFile();
    void dropMissingFilesEmptiesOnlyVanishedPcFiles();
    void modelCompatibility_data();
    void modelCompatibility();
    void hasNoDataLooksAtSizes();
    void readSizesSkipsAreasWithoutEntries();
    void readSizesFailures();
    void areaSizeIsThePayloadLength_data();
    void areaSizeIsThePayloadLength();
    void travelsInAVariant();

private:
    QTemporaryDir temporaryFolder_;
    std::unique_ptr<QTemporaryDir> folder_;
    QString path(const QString& name) const { return folder_->filePath(name); }
    QString writeFile(const QString& name, const QByteArray& bytes) const;
};

void tst_PackageFile::initTestCase() {
    // Packages are assembled in the system's temporary folder: a private one
    // shows whether anything is left behind.
    QVERIFY(temporaryFolder_.isValid());
    qputenv("TMPDIR", QFile::encodeName(temporaryFolder_.path()));
    QCOMPARE(QDir::tempPath(), QDir(temporaryFolder_.path()).canonicalPath());
}

void tst_PackageFile::init() {
    folder_ = std::make_unique<QTemporaryDir>(QDir(temporaryFolder_.path()).filePath("work"));
    QVERIFY(folder_->isValid());
}

void tst_PackageFile::cleanup() {
    file::FreeSpace::clearOverride();
    folder_.reset();
    QCOMPARE(entriesOf(temporaryFolder_.path()), QStringList());
}

QString tst_PackageFile::writeFile(const QString& name, const QByteArray& bytes) const {
    const QString filePath = path(name);
    return writeAll(filePath, bytes) ? filePath : QString();
}

void tst_PackageFile::newPackageHasEmptyAreasForEveryCategoryOfTheModel() {
    const PackageFile package(QStringLiteral(" PRV-1200 "));
    QCOMPARE(package.modelName(), QStringLiteral("PRV-1200"));
    QVERIFY(package.path().isEmpty());
    QCOMPARE(package.areas().keys(), (QStringList{"ALL", "DRAWBAR", "DSP", "MUSICPRESET",
                                                  "REGISTRATION", "RHYTHM", "SEQUENCER", "TONE"}));
    for (const auto& keyWordCount : data::Zq11Info::instance()->keyWordAreaCounts()) {
        const QList<PackageArea> areas = package.areasOf(keyWordCount.first);
        QCOMPARE(areas.size(), keyWordCount.second);
        for (const PackageArea& area : areas) {
            QCOMPARE(area, PackageArea());
            QVERIFY(area.inArchive);
            QCOMPARE(area.size, -1);
        }
    }
    QVERIFY(package.hasNoData());
}

void tst_PackageFile::newPackageForAnUnknownModelHasNoAreas() {
    const PackageFile package(QStringLiteral("PRV-9999"));
    QCOMPARE(package.modelName(), QStringLiteral("PRV-9999"));
    QVERIFY(package.areas().isEmpty());
}

void tst_PackageFile::indexTextOfOneRhythm() {
    PackageFile package;
    QVERIFY(package.fromIndexText(indexFile("MODELNAME:QS-1", {})));
    package.setArea(QStringLiteral("RHYTHM"), 1, PackageArea());
    package.setArea(QStringLiteral("RHYTHM"), 0, archiveArea(QStringLiteral("0.AC7"), "AB"));
    QCOMPARE(package.indexText(), QByteArray("TAVRO ZEL TONEHARBOUR PACKAGE FILE\n"
                                             "VERSION:1\n"
                                             "MODELNAME:QS-1\n"
                                             "RHYTHM:0.AC7:4142::\n"));
}

void tst_PackageFile::indexRejections_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << kIndexHeader + "\n";
    QTest::newRow("no model line") << kIndexHeader + "\nVERSION:1\n";
    QTest::newRow("other header") << QByteArray(
        "TAVRO ZEL OTHER FILE\nVERSION:1\nMODELNAME:QS-1\n");
    QTest::newRow("header with a blank") << kIndexHeader + " \nVERSION:1\nMODELNAME:QS-1\n";
    QTest::newRow("version 2") << kIndexHeader + "\nVERSION:2\nMODELNAME:QS-1\n";
    QTest::newRow("version with a third part") << kIndexHeader + "\nVERSION:1:0\nMODELNAME:QS-1\n";
    QTest::newRow("version key in lower case") << kIndexHeader + "\nversion:1\nMODELNAME:QS-1\n";
    QTest::newRow("version without separator") << kIndexHeader + "\nVERSION 1\nMODELNAME:QS-1\n";
    QTest::newRow("model name with a colon") << kIndexHeader + "\nVERSION:1\nMODELNAME:QS:1\n";
    QTest::newRow("other model key") << kIndexHeader + "\nVERSION:1\nMODEL:QS-1\n";
    QTest::newRow("empty line before the model")
        << kIndexHeader + "\nVERSION:1\n\nMODELNAME:QS-1\n";
    QTest::newRow("carriage returns")
        << kIndexHeader + "\r\nVERSION:1\r\nMODELNAME:QS-1\r\nRHYTHM::\r\n";
    QByteArray huge = indexFile("MODELNAME:QS-1", {"RHYTHM"});
    huge.chop(1);
    huge += QByteArray(PackageFile::kMaxIndexSize, ':') + '\n';
    QTest::newRow("larger than any index") << huge;
}

void tst_PackageFile::indexRejections() {
    QFETCH(QByteArray, text);
    PackageFile package(QStringLiteral("PRV-1200"));
    const PackageFile before = package;
    QVERIFY(!package.fromIndexText(text));
    QCOMPARE(package, before);
}

void tst_PackageFile::indexLines() {
    PackageFile package(QStringLiteral("PRV-1200"));
    const QByteArray ae = QStringLiteral("Ä é").toUtf8().toHex();
    QVERIFY(package.fromIndexText(indexFile("MODELNAME:LM-4100", {
                                                                     "RHYTHM:0.AC7:" + ae + "::",
                                                                     "TONE:5.TN7:6162",
                                                                     "SEQUENCER:0.CMS",
                                                                     "DSP:x:79:z:",
                                                                     "DSP:skipped",
                                                                     "TONE:::::1.TN7:7a",
                                                                     "NOTHING",
                                                                     ":e:",
                                                                     "TONE:even::",
                                                                 })));
    QCOMPARE(package.modelName(), QStringLiteral("LM-4100"));
    // The lists of the new package are gone; key words are taken as they come.
    QCOMPARE(package.areas().keys(), (QStringList{"", "DSP", "NOTHING", "RHYTHM", "TONE"}));

    const QList<PackageArea> rhythms = package.areasOf(QStringLiteral("RHYTHM"));
    QCOMPARE(rhythms.size(), 2);
    QCOMPARE(rhythms.at(0), archiveArea(QStringLiteral("0.AC7"), QStringLiteral("Ä é")));
    QCOMPARE(rhythms.at(1), PackageArea());

    // The later TONE line replaced the earlier one.
    const QList<PackageArea> tones = package.areasOf(QStringLiteral("TONE"));
    QCOMPARE(tones.size(), 3);
    QCOMPARE(tones.at(0), PackageArea());
    QCOMPARE(tones.at(1), PackageArea());
    QCOMPARE(tones.at(2), archiveArea(QStringLiteral("1.TN7"), QStringLiteral("z")));

    QCOMPARE(package.areasOf(QStringLiteral("DSP")).size(), 2);
    QCOMPARE(package.areasOf(QStringLiteral("DSP")).at(0),
             archiveArea(QStringLiteral("x"), QStringLiteral("y")));
    QCOMPARE(package.areasOf(QStringLiteral("DSP")).at(1),
             archiveArea(QStringLiteral("z"), QString()));
    QVERIFY(package.areasOf(QStringLiteral("NOTHING")).isEmpty());
    QVERIFY(!package.areas().contains(QStringLiteral("SEQUENCER")));
    QCOMPARE(package.areasOf(QString()).size(), 1);
}

void tst_PackageFile::indexEndsAtTheFirstEmptyLine() {
    PackageFile package;
    QVERIFY(
        package.fromIndexText(indexFile("MODELNAME:QS-1", {"TONE:0.TN7:61", "", "DSP:0.DS7:62"})));
    QCOMPARE(package.areas().keys(), QStringList{QStringLiteral("TONE")});

    // The same holds when the model line itself is followed by nothing.
    QVERIFY(package.fromIndexText(kIndexHeader + "\nVERSION:1\nMODELNAME:QS-2"));
    QCOMPARE(package.modelName(), QStringLiteral("QS-2"));
    QVERIFY(package.areas().isEmpty());
}

void tst_PackageFile::saveAndLoadRoundTrip() {
    ModelScope scope(data::Zq11Info::instance());
    const QByteArray rhythm = FileImages::nativeRhythm(116);
    const QByteArray ballad = song(1000, 3);
    const QByteArray piano = tone(120, 4);
    PackageFile package(QStringLiteral("PRV-1200"));
    package.setFile(QStringLiteral("RHYTHM"), 5, writeFile(QStringLiteral("Pop.AC7"), rhythm));
    package.setFile(QStringLiteral("SEQUENCER"), 0,
                    writeFile(QStringLiteral("Ballad.CMS"), ballad));
    package.setFile(QStringLiteral("TONE"), 99, writeFile(QStringLiteral("Flügel ♪.TN7"), piano));
    QVERIFY(!package.hasNoData());

    const QString packagePath = path(QStringLiteral("set.PK7"));
    QVERIFY(package.save(packagePath));

    PackageFile loaded;
    QVERIFY(loaded.load(packagePath));
    QCOMPARE(loaded.path(), packagePath);
    QCOMPARE(loaded.modelName(), QStringLiteral("PRV-1200"));
    QCOMPARE(loaded.areas().keys(), package.areas().keys());
    for (auto list = package.areas().cbegin(); list != package.areas().cend(); ++list)
        QCOMPARE(loaded.areasOf(list.key()).size(), list->size());

    QCOMPARE(loaded.area(QStringLiteral("RHYTHM"), 5),
             archiveArea(QStringLiteral("5.AC7"), QStringLiteral("Pop.AC7")));
    QCOMPARE(loaded.area(QStringLiteral("SEQUENCER"), 0),
             archiveArea(QStringLiteral("0.CMS"), QStringLiteral("Ballad.CMS")));
    QCOMPARE(loaded.area(QStringLiteral("TONE"), 99),
             archiveArea(QStringLiteral("99.TN7"), QStringLiteral("Flügel ♪.TN7")));
    QCOMPARE(loaded.dataName(QStringLiteral("TONE"), 99), QStringLiteral("Flügel ♪.TN7"));

    QByteArray out;
    QCOMPARE(loaded.read(QStringLiteral("RHYTHM"), 5, out), 0);
    QCOMPARE(out, rhythm);
    QCOMPARE(loaded.read(QStringLiteral("SEQUENCER"), 0, out), 0);
    QCOMPARE(out, ballad);
    QCOMPARE(loaded.read(QStringLiteral("TONE"), 99, out), 0);
    QCOMPARE(out, piano);
    QCOMPARE(loaded.read(QStringLiteral("TONE"), 98, out), 1);

    // Sizes are known once they have been read from the archive.
    QVERIFY(loaded.hasNoData());
    QVERIFY(loaded.readSizes());
    QVERIFY(!loaded.hasNoData());
    QCOMPARE(loaded.area(QStringLiteral("SEQUENCER"), 0).size, ballad.size());
    QCOMPARE(loaded.area(QStringLiteral("RHYTHM"), 5).size, rhythm.size());
    QCOMPARE(loaded.area(QStringLiteral("RHYTHM"), 4).size, -1);

    // The archive holds the index first and one entry per filled area.
    QByteArray indexText;
    QCOMPARE(etc::ZipHandler::readEntry(packagePath, QStringLiteral("package.dat"), indexText), 0);
    QCOMPARE(indexText, loaded.indexText());
    const QList<QByteArray> lines = indexText.split('\n');
    QCOMPARE(lines.at(2), QByteArray("MODELNAME:PRV-1200"));
    QVERIFY(lines.contains("SEQUENCER:0.CMS:" + QByteArray("Ballad.CMS").toHex() + "::::::::"));
    const QString extracted = path(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(extracted));
    QCOMPARE(etc::ZipHandler::extractAll(packagePath, QDir(extracted)), 0);
    QCOMPARE(entriesOf(extracted), (QStringList{"0.CMS", "5.AC7", "99.TN7", "package.dat"}));
}

void tst_PackageFile::savedArchivePassesUnzipTest() {
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
        QSKIP("the unzip tool is not installed");
    PackageFile package(QStringLiteral("PRV-1200"));
    package.setFile(QStringLiteral("RHYTHM"), 0,
                    writeFile(QStringLiteral("a.AC7"), FileImages::nativeRhythm(116)));
    package.setFile(QStringLiteral("DSP"), 3,
                    writeFile(QStringLiteral("b.DS7"),
                              FileImages::common("DS7F", "PRV-1200", 0, QByteArray(5000, 'd'))));
    const QString packagePath = path(QStringLiteral("set.PK7"));
    QVERIFY(package.save(packagePath));

    QByteArray output;
    QVERIFY2(runTool(QStringLiteral("unzip"), {QStringLiteral("-t"), packagePath}, folder_->path(),
                     &output),
             output.constData());
    QVERIFY2(output.contains("No errors detected"), output.constData());
}

void tst_PackageFile::packageOfAStandardZipToolLoads() {
    if (QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty())
        QSKIP("the zip tool is not installed");
    const QString source = path(QStringLiteral("source"));
    QVERIFY(QDir().mkpath(source));
    const QByteArray rhythm = FileImages::nativeRhythm(300);
    const QByteArray ballad = song(2000, 8);
    QVERIFY(writeAll(
        QDir(source).filePath(QStringLiteral("package.dat")),
        indexFile("MODELNAME:PRV-1200", {"RHYTHM:0.AC7:" + QByteArray("Dance").toHex() + "::",
                                         "SEQUENCER:::::2.CMS:" + QByteArray("Lied").toHex()})));
    QVERIFY(writeAll(QDir(source).filePath(QStringLiteral("0.AC7")), rhythm));
    QVERIFY(writeAll(QDir(source).filePath(QStringLiteral("2.CMS")), ballad));

    const QString packagePath = path(QStringLiteral("tool.PK7"));
    QByteArray output;
    QVERIFY2(runTool(QStringLiteral("zip"),
                     {QStringLiteral("-q"), QStringLiteral("-X"), packagePath, "package.dat",
                      "0.AC7", "2.CMS"},
                     source, &output),
             output.constData());

    PackageFile package;
    QVERIFY(package.load(packagePath));
    QCOMPARE(package.modelName(), QStringLiteral("PRV-1200"));
    QByteArray out;
    QCOMPARE(package.read(QStringLiteral("RHYTHM"), 0, out), 0);
    QCOMPARE(out, rhythm);
    QCOMPARE(package.read(QStringLiteral("SEQUENCER"), 2, out), 0);
    QCOMPARE(out, ballad);
    QCOMPARE(package.dataName(QStringLiteral("SEQUENCER"), 2), QStringLiteral("Lied"));
    QVERIFY(package.readSizes());
    QCOMPARE(package.area(QStringLiteral("SEQUENCER"), 2).size, ballad.size());
    QCOMPARE(package.areaSize(QStringLiteral("SEQUENCER"), 2), 2000);
}

void tst_PackageFile::loadedPackageSavesOverItsOwnArchive() {
    const QByteArray first = tone(200, 1);
    const QByteArray second = tone(300, 2);
    PackageFile package(QStringLiteral("PRV-1200"));
    package.setFile(QStringLiteral("TONE"), 0, writeFile(QStringLiteral("first.TN7"), first));
    const QString packagePath = path(QStringLiteral("set.PK7"));
    QVERIFY(package.save(packagePath));

    PackageFile loaded;
    QVERIFY(loaded.load(packagePath));
    loaded.setFile(QStringLiteral("TONE"), 7, writeFile(QStringLiteral("second.TN7"), second));
    QVERIFY(loaded.save(packagePath));

    PackageFile again;
    QVERIFY(again.load(packagePath));
    QByteArray out;
    QCOMPARE(again.read(QStringLiteral("TONE"), 0, out), 0);
    QCOMPARE(out, first);
    QCOMPARE(again.dataName(QStringLiteral("TONE"), 0), QStringLiteral("first.TN7"));
    QCOMPARE(again.read(QStringLiteral("TONE"), 7, out), 0);
    QCOMPARE(out, second);
    QCOMPARE(again.area(QStringLiteral("TONE"), 7).entryName, QStringLiteral("7.TN7"));
}

void tst_PackageFile::entriesOfDifferentCategoriesNeverShareAName() {
    // Files whose extension does not name their category, in the same area
    // of two categories.
    PackageFile package(QStringLiteral("PRV-1200"));
    package.setFile(QStringLiteral("DSP"), 0, writeFile(QStringLiteral("a.bin"), "dsp data"));
    package.setFile(QStringLiteral("TONE"), 0, writeFile(QStringLiteral("b.BIN"), "tone data"));
    package.setFile(QStringLiteral("RHYTHM"), 0, writeFile(QStringLiteral("c"), "no suffix"));
    package.setFile(QStringLiteral("SEQUENCER"), 0, writeFile(QStringLiteral("d"), "none either"));
    const QString packagePath = path(QStringLiteral("set.PK7"));
    QVERIFY(package.save(packagePath));

    PackageFile loaded;
    QVERIFY(loaded.load(packagePath));
    QByteArray out;
    QCOMPARE(loaded.read(QStringLiteral("DSP"), 0, out), 0);
    QCOMPARE(out, QByteArray("dsp data"));
    QCOMPARE(loaded.read(QStringLiteral("TONE"), 0, out), 0);
    QCOMPARE(out, QByteArray("tone data"));
    QCOMPARE(loaded.read(QStringLiteral("RHYTHM"), 0, out), 0);
    QCOMPARE(out, QByteArray("no suffix"));
    QCOMPARE(loaded.read(QStringLiteral("SEQUENCER"), 0, out), 0);
    QCOMPARE(out, QByteArray("none either"));
    QCOMPARE(loaded.area(QStringLiteral("DSP"), 0).entryName, QStringLiteral("0.bin"));
    QCOMPARE(loaded.area(QStringLiteral("RHYTHM"), 0).entryName, QStringLiteral("0."));
}

void tst_PackageFile::failedSaveLeavesTheOldPackage_data() {
    QTest::addColumn<QString>("cause");
    QTest::newRow("no free space") << "space";
    QTest::newRow("volume full part-way") << "full";
    QTest::newRow("data file gone") << "file gone";
    QTest::newRow("archive entry gone") << "entry gone";
    QTest::newRow("archive gone") << "archive gone";
    QTest::newRow("target is a folder") << "folder";
}

void tst_PackageFile::failedSaveLeavesTheOldPackage() {
    QFETCH(QString, cause);
    const QString packagePath = path(QStringLiteral("set.PK7"));
    const QString copyPath = path(QStringLiteral("copy.PK7"));
    PackageFile old(QStringLiteral("PRV-1200"));
    old.setFile(QStringLiteral("TONE"), 0, writeFile(QStringLiteral("old.TN7"), tone(100, 1)));
    QVERIFY(old.save(packagePath));
    QVERIFY(QFile::copy(packagePath, copyPath));
    const QByteArray oldBytes = readAll(packagePath);

    PackageFile package;
    QVERIFY(package.load(copyPath));
    const QString newFile = writeFile(QStringLiteral("new.CMS"),
                                      FileImages::common("TAV1", "PRV-1200", 0, noise(200000, 2)));
    package.setFile(QStringLiteral("SEQUENCER"), 1, newFile);
    QString target = packagePath;
    bool saved = true;

    if (cause == QLatin1String("space")) {
        file::FreeSpace::setOverride(0);
        saved = package.save(target);
    } else if (cause == QLatin1String("full")) {
        testsupport::FileSizeLimit limit(4096);
        QVERIFY(limit.isActive());
        saved = package.save(target);
    } else if (cause == QLatin1String("file gone")) {
        QVERIFY(QFile::remove(newFile));
        saved = package.save(target);
    } else if (cause == QLatin1String("entry gone")) {
        package.setArea(QStringLiteral("DSP"), 2, archiveArea(QStringLiteral("2.DS7"), "x"));
        saved = package.save(target);
    } else if (cause == QLatin1String("archive gone")) {
        QVERIFY(QFile::remove(copyPath));
        saved = package.save(target);
    } else if (cause == QLatin1String("folder")) {
        target = path(QStringLiteral("folder.PK7"));
        QVERIFY(QDir().mkpath(target));
        saved = package.save(target);
        QVERIFY(QFileInfo(target).isDir());
    }
    QVERIFY(!saved);
    QCOMPARE(readAll(packagePath), oldBytes);
    for (const QString& name : entriesOf(folder_->path()))
        QVERIFY2(!name.contains(QLatin1String("set.PK7.")), qPrintable(name));
}

void tst_PackageFile::packagesThatWouldNotReadBackAreNotSaved() {
    const QString packagePath = path(QStringLiteral("set.PK7"));
    const QString item = writeFile(QStringLiteral("t.TN7"), tone(10, 1));

    PackageFile colon(QStringLiteral("QS:1"));
    colon.setFile(QStringLiteral("TONE"), 0, item);
    QVERIFY(!colon.save(packagePath));

    PackageFile lineBreak(QStringLiteral("QS-1\nRHYTHM:0.AC7:"));
    QVERIFY(!lineBreak.save(packagePath));

    PackageFile suffix(QStringLiteral("PRV-1200"));
    suffix.setFile(QStringLiteral("TONE"), 0,
                   writeFile(QStringLiteral("t.TN7\nDSP:0.DS7:"), tone(10, 2)));
    QVERIFY(!suffix.save(packagePath));
    QVERIFY(!QFile::exists(packagePath));
}

void tst_PackageFile::loadFailuresLeaveThePackageAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("no file") << "missing";
    QTest::newRow("not an archive") << "garbage";
    QTest::newRow("archive without index") << "no index";
    QTest::newRow("index of version 2") << "version";
    QTest::newRow("index of another program") << "header";
}

void tst_PackageFile::loadFailuresLeaveThePackageAlone() {
    QFETCH(QString, kind);
    const QString packagePath = path(QStringLiteral("bad.PK7"));
    using Entries = QList<QPair<QString, QByteArray>>;
    if (kind == QLatin1String("garbage")) {
        QVERIFY(writeAll(packagePath, FileImages::pattern(3000)));
    } else if (kind == QLatin1String("no index")) {
        QCOMPARE(etc::ZipHandler::writeArchive(packagePath, Entries{{"0.AC7", "x"}}), 0);
    } else if (kind == QLatin1String("version")) {
        QByteArray text = indexFile("MODELNAME:QS-1", {"TONE::"});
        text.replace("VERSION:1", "VERSION:2");
        QCOMPARE(etc::ZipHandler::writeArchive(packagePath, Entries{{"package.dat", text}}), 0);
    } else if (kind == QLatin1String("header")) {
        QByteArray text = indexFile("MODELNAME:QS-1", {"TONE::"});
        text.replace("TONEHARBOUR", "SOMETHING");
        QCOMPARE(etc::ZipHandler::writeArchive(packagePath, Entries{{"package.dat", text}}), 0);
    }
    PackageFile package(QStringLiteral("PRV-1200"));
    package.setFile(QStringLiteral("TONE"), 1, writeFile(QStringLiteral("t.TN7"), tone(10, 1)));
    const PackageFile before = package;
    QVERIFY(!package.load(packagePath));
    QCOMPARE(package, before);
}

void tst_PackageFile::readOfAreasWithoutData_data() {
    QTest::addColumn<QString>("keyWord");
    QTest::addColumn<int>("area");
    QTest::newRow("empty area") << "TONE" << 0;
    QTest::newRow("last area, empty") << "TONE" << 99;
    QTest::newRow("past the last area") << "TONE" << 100;
    QTest::newRow("negative area") << "TONE" << -1;
    QTest::newRow("category not in the package") << "SCALE" << 0;
    QTest::newRow("unknown key word") << "BANJO" << 0;
}

void tst_PackageFile::readOfAreasWithoutData() {
    QFETCH(QString, keyWord);
    QFETCH(int, area);
    PackageFile package(QStringLiteral("PRV-1200"));
    QByteArray out("kept");
    QCOMPARE(package.read(keyWord, area, out), 1);
    QCOMPARE(out, QByteArray("kept"));
    QCOMPARE(package.dataName(keyWord, area), QString());
}

void tst_PackageFile::readFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("PC file gone") << "file gone";
    QTest::newRow("PC file is a folder") << "folder";
    QTest::newRow("archive area of a package without archive") << "no archive";
    QTest::newRow("entry missing from the archive") << "no entry";
    QTest::newRow("archive replaced by garbage") << "garbage";
}

void tst_PackageFile::readFailures() {
    QFETCH(QString, kind);
    PackageFile package(QStringLiteral("PRV-1200"));
    const QString dataFile = writeFile(QStringLiteral("x.TN7"), tone(50, 5));
    package.setFile(QStringLiteral("TONE"), 3, dataFile);
    const QString packagePath = path(QStringLiteral("set.PK7"));

    if (kind == QLatin1String("file gone")) {
        QVERIFY(QFile::remove(dataFile));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QFile::remove(dataFile));
        QVERIFY(QDir().mkpath(dataFile));
    } else if (kind == QLatin1String("no archive")) {
        package.setArea(QStringLiteral("TONE"), 3, archiveArea(QStringLiteral("3.TN7"), "x"));
    } else {
        QVERIFY(package.save(packagePath));
        QVERIFY(package.load(packagePath));
        if (kind == QLatin1String("no entry"))
            package.setArea(QStringLiteral("TONE"), 3, archiveArea(QStringLiteral("4.TN7"), "x"));
        else
            QVERIFY(writeAll(packagePath, FileImages::pattern(500)));
    }
    // Data that are there but cannot be read are not "no data".
    QByteArray out("kept");
    QCOMPARE(package.read(QStringLiteral("TONE"), 3, out), 2);
    QCOMPARE(out, QByteArray("kept"));
}

void tst_PackageFile::dataNameOfArchiveAndPcAreas() {
    PackageFile package(QStringLiteral("PRV-1200"));
    const QString dataFile = writeFile(QStringLiteral("Strings.TN7"), tone(50, 5));
    package.setFile(QStringLiteral("TONE"), 3, dataFile);
    package.setArea(QStringLiteral("TONE"), 4, archiveArea(QStringLiteral("4.TN7"), "Brass"));
    QCOMPARE(package.dataName(QStringLiteral("TONE"), 3), dataFile);
    QCOMPARE(package.area(QStringLiteral("TONE"), 3).dataName, QStringLiteral("Strings.TN7"));
    QCOMPARE(package.dataName(QStringLiteral("TONE"), 4), QStringLiteral("Brass"));
}

void tst_PackageFile::setAreaExtendsTheList() {
    PackageFile package;
    const PackageArea record = archiveArea(QStringLiteral("4.DS7"), QStringLiteral("Hall"));
    package.setArea(QStringLiteral("DSP"), 4, record);
    QCOMPARE(package.areasOf(QStringLiteral("DSP")).size(), 5);
    QCOMPARE(package.area(QStringLiteral("DSP"), 4), record);
    QCOMPARE(package.area(QStringLiteral("DSP"), 0), PackageArea());

    package.setArea(QStringLiteral("DSP"), 1, record);
    QCOMPARE(package.areasOf(QStringLiteral("DSP")).size(), 5);
    package.setArea(QStringLiteral("DSP"), -1, record);
    QCOMPARE(package.areasOf(QStringLiteral("DSP")).size(), 5);
}

void tst_PackageFile::setFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("filled");
    QTest::newRow("existing file") << "file" << true;
    QTest::newRow("empty path") << "empty" << false;
    QTest::newRow("no file at the path") << "missing" << false;
    QTest::newRow("folder at the path") << "folder" << false;
}

void tst_PackageFile::setFile() {
    QFETCH(QString, kind);
    QFETCH(bool, filled);
    PackageFile package(QStringLiteral("PRV-1200"));
    package.setArea(QStringLiteral("RHYTHM"), 2, archiveArea(QStringLiteral("2.AC7"), "old"));
    QString filePath;
    if (kind == QLatin1String("file"))
        filePath = writeFile(QStringLiteral("Samba.AC7"), FileImages::nativeRhythm(116));
    else if (kind == QLatin1String("missing"))
        filePath = path(QStringLiteral("missing.AC7"));
    else if (kind == QLatin1String("folder"))
        filePath = folder_->path();

    package.setFile(QStringLiteral("RHYTHM"), 2, filePath);
    const PackageArea area = package.area(QStringLiteral("RHYTHM"), 2);
    if (filled) {
        QCOMPARE(area.sourcePath, filePath);
        QVERIFY(!area.inArchive);
        QCOMPARE(area.dataName, QStringLiteral("Samba.AC7"));
        QCOMPARE(area.size, 116);
        QVERIFY(area.entryName.isEmpty());
    } else {
        QCOMPARE(area, PackageArea());
    }
    QCOMPARE(package.areasOf(QStringLiteral("RHYTHM")).size(), 100);

    // A category the package did not have is added.
    package.setFile(QStringLiteral("SCALE"), 0, filePath);
    QCOMPARE(package.areasOf(QStringLiteral("SCALE")).size(), 1);
}

void tst_PackageFile::dropMissingFilesEmptiesOnlyVanishedPcFiles() {
    PackageFile package(QStringLiteral("PRV-1200"));
    const QString kept = writeFile(QStringLiteral("kept.TN7"), tone(10, 1));
    const QString gone = writeFile(QStringLiteral("gone.TN7"), tone(10, 2));
    const PackageArea archived = archiveArea(QStringLiteral("9.TN7"), QStringLiteral("a"));
    package.setFile(QStringLiteral("TONE"), 1, kept);
    package.setFile(QStringLiteral("TONE"), 2, gone);
    package.setArea(QStringLiteral("TONE"), 9, archived);
    QVERIFY(QFile::remove(gone));

    package.dropMissingFiles();
    QCOMPARE(package.area(QStringLiteral("TONE"), 1).sourcePath, kept);
    QCOMPARE(package.area(QStringLiteral("TONE"), 2), PackageArea());
    QCOMPARE(package.area(QStringLiteral("TONE"), 9), archived);
}

void tst_PackageFile::modelCompatibility_data() {
    QTest::addColumn<QString>("package");
    QTest::addColumn<QString>("keyboard");
    QTest::addColumn<bool>("compatible");
    QTest::newRow("same model") << "PRV-3200"
                                << "PRV-3200" << true;
    QTest::newRow("same model, padded") << "QS-1"
                                        << "QS-1    " << true;
    QTest::newRow("PRV-1100 and LM-4100") << "PRV-1100"
                                          << "LM-4100" << true;
    QTest::newRow("LM-4100 and PRV-1100") << "LM-4100"
                                          << "PRV-1100" << true;
    QTest::newRow("PRV-1200 and LM-4200") << "PRV-1200"
                                          << "LM-4200" << true;
    QTest::newRow("QS-2 and QS-1") << "QS-2"
                                   << "QS-1" << true;
    QTest::newRow("PRV-2100 and LM-5100") << "PRV-2100"
                                          << "LM-5100" << true;
    QTest::newRow("LM-5200 and PRV-2200") << "LM-5200"
                                          << "PRV-2200" << true;
    QTest::newRow("PRV-1100 and QS-1") << "PRV-1100"
                                       << "QS-1" << false;
    QTest::newRow("PRV-3100 and PRV-2100") << "PRV-3100"
                                           << "PRV-2100" << false;
    QTest::newRow("PRV-2100 and LM-5200") << "PRV-2100"
                                          << "LM-5200" << false;
    QTest::newRow("unknown keyboard") << "PRV-1100"
                                      << "PRV-9999" << false;
    QTest::newRow("unknown package model") << "PRV-9999"
                                           << "PRV-9999" << false;
    QTest::newRow("lower case") << "PRV-1100"
                                << "prv-1100" << false;
}

void tst_PackageFile::modelCompatibility() {
    QFETCH(QString, package);
    QFETCH(QString, keyboard);
    QFETCH(bool, compatible);
    QCOMPARE(PackageFile(package).isModelCompatible(keyboard), compatible);
}

void tst_PackageFile::hasNoDataLooksAtSizes() {
    PackageFile package(QStringLiteral("PRV-1200"));
    PackageArea area = archiveArea(QStringLiteral("0.MPS"), QStringLiteral("m"));
    package.setArea(QStringLiteral("MUSICPRESET"), 0, area);
    QVERIFY(package.hasNoData());
    area.size = 0;
    package.setArea(QStringLiteral("MUSICPRESET"), 0, area);
    QVERIFY(!package.hasNoData());
}

void tst_PackageFile::readSizesSkipsAreasWithoutEntries() {
    PackageFile package(QStringLiteral("PRV-1200"));
    package.setFile(QStringLiteral("DSP"), 4, writeFile(QStringLiteral("d.DS7"), tone(70, 3)));
    // Nothing to look up in a package that has no archive yet.
    QVERIFY(package.readSizes());
    const QString packagePath = path(QStringLiteral("set.PK7"));
    QVERIFY(package.save(packagePath));

    PackageFile loaded;
    QVERIFY(loaded.load(packagePath));
    const QString pcFile = writeFile(QStringLiteral("r.AC7"), FileImages::nativeRhythm(40));
    loaded.setFile(QStringLiteral("RHYTHM"), 1, pcFile);
    // Hundreds of empty areas and a PC-file area beside the one entry.
    QVERIFY(loaded.readSizes());
    QCOMPARE(loaded.area(QStringLiteral("DSP"), 4).size, 276 + 70);
    QCOMPARE(loaded.area(QStringLiteral("DSP"), 3).size, -1);
    QCOMPARE(loaded.area(QStringLiteral("RHYTHM"), 1).size, 40);
}

void tst_PackageFile::readSizesFailures() {
    PackageFile package(QStringLiteral("PRV-1200"));
    package.setArea(QStringLiteral("DSP"), 0, archiveArea(QStringLiteral("0.DS7"), "x"));
    QVERIFY(!package.readSizes());

    package.setFile(QStringLiteral("DSP"), 0, writeFile(QStringLiteral("d.DS7"), tone(70, 3)));
    const QString packagePath = path(QStringLiteral("set.PK7"));
    QVERIFY(package.save(packagePath));
    QVERIFY(package.load(packagePath));
    package.setArea(QStringLiteral("DSP"), 1, archiveArea(QStringLiteral("1.DS7"), "y"));
    QVERIFY(!package.readSizes());
}

void tst_PackageFile::areaSizeIsThePayloadLength_data() {
    QTest::addColumn<QString>("keyWord");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("size");
    QTest::newRow("song") << "SEQUENCER" << song(1234, 1) << 1234;
    QTest::newRow("song that does not parse") << "SEQUENCER" << FileImages::pattern(100) << 817;
    QTest::newRow("no song") << "SEQUENCER" << QByteArray() << 817;
    QTest::newRow("music preset") << "MUSICPRESET" << FileImages::musicPreset(500) << 500;
    QTest::newRow("no music preset") << "MUSICPRESET" << QByteArray() << 43;
    QTest::newRow("wrapped rhythm")
        << "RHYTHM" << FileImages::wrappedRhythm(FileImages::rawRhythm(60), "PRV-1200") << 60;
    QTest::newRow("no rhythm") << "RHYTHM" << QByteArray() << -1;
    QTest::newRow("unknown key word") << "BANJO" << FileImages::musicPreset(500) << -1;
}

void tst_PackageFile::areaSizeIsThePayloadLength() {
    QFETCH(QString, keyWord);
    QFETCH(QByteArray, content);
    QFETCH(int, size);
    ModelScope scope(data::Zq11Info::instance());
    PackageFile package(QStringLiteral("PRV-1200"));
    if (!content.isEmpty())
        package.setFile(keyWord, 2, writeFile(QStringLiteral("item"), content));
    QCOMPARE(package.areaSize(keyWord, 2), size);

    // The same from the package's own archive.
    const QString packagePath = path(QStringLiteral("set.PK7"));
    QVERIFY(package.save(packagePath));
    QVERIFY(package.load(packagePath));
    QCOMPARE(package.areaSize(keyWord, 2), size);
}

void tst_PackageFile::travelsInAVariant() {
    PackageFile::registerMetaType();
    const QMetaType type = QMetaType::fromName("zel::qmix::file::PackageFile");
    QVERIFY(type.isValid());
    QCOMPARE(type, QMetaType::fromType<PackageFile>());

    PackageFile package(QStringLiteral("QS-1"));
    package.setArea(QStringLiteral("SCALE"), 0, archiveArea(QStringLiteral("0.CSD"), "s"));
    const QVariant variant = QVariant::fromValue(package);
    QVERIFY(variant.canConvert<PackageFile>());
    QCOMPARE(variant.value<PackageFile>(), package);
}

QTEST_GUILESS_MAIN(tst_PackageFile)
#include "tst_PackageFile.moc"
