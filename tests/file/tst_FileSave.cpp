#include "FileImages.h"
#include "ModelScope.h"
#include "tests/support/FileSizeLimit.h"

#include "data/Zq11Info.h"
#include "file/DspDataFile.h"
#include "file/FreeSpace.h"
#include "file/MusicPresetDataFile.h"
#include "file/RhythmDataFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>

using namespace zel::qmix;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

std::unique_ptr<file::AbstractFile> dspWithPayload(int size) {
    auto dsp = std::make_unique<file::DspDataFile>();
    dsp->setData(FileImages::pattern(size, 5));
    return dsp;
}

} // namespace

class tst_FileSave : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void saveAndLoadRoundTrip();
    void saveReplacesAnExistingFile();
    void tooLittleFreeSpaceWritesNothing_data();
    void tooLittleFreeSpaceWritesNothing();
    void exactlyEnoughFreeSpaceIsEnough();
    void failedWriteKeepsTheOldFile();
    void unwritableTargetGivesTwo_data();
    void unwritableTargetGivesTwo();
    void unserialisableDataLeaveTheTargetAlone_data();
    void unserialisableDataLeaveTheTargetAlone();
    void deviceRoundTrip();
    void deviceNotOpenForWritingGivesTwo();
    void loadOfMissingOrUnreadableFileGivesOne();
    void realFreeSpaceIsReported();
};

void tst_FileSave::cleanup() {
    file::FreeSpace::clearOverride();
}

void tst_FileSave::saveAndLoadRoundTrip() {
    ModelScope scope(data::Zq11Info::instance());
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("effect.DS7"));

    const auto written = dspWithPayload(1000);
    QCOMPARE(written->save(path), 0);
    const QByteArray image = readAll(path);
    QCOMPARE(image, FileImages::common("DS7F", "PRV-1200", 0, FileImages::pattern(1000, 5)));

    file::DspDataFile read;
    QCOMPARE(read.load(path), 0);
    QCOMPARE(read.data(), written->data());
    QCOMPARE(entriesOf(folder.path()), QStringList{QStringLiteral("effect.DS7")});
}

void tst_FileSave::saveReplacesAnExistingFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("effect.DS7"));
    QVERIFY(writeAll(path, QByteArray(5000, 'o')));
    QCOMPARE(dspWithPayload(10)->save(path), 0);
    QCOMPARE(readAll(path).size(), 286);
}

void tst_FileSave::tooLittleFreeSpaceWritesNothing_data() {
    QTest::addColumn<qint64>("freeBytes");
    QTest::addColumn<bool>("existing");

    QTest::newRow("no space, new file") << qint64(0) << false;
    QTest::newRow("one byte short, new file") << qint64(276 + 1000 - 1) << false;
    QTest::newRow("no space, existing file") << qint64(0) << true;
    QTest::newRow("one byte short, existing file") << qint64(276 + 1000 - 1) << true;
}

void tst_FileSave::tooLittleFreeSpaceWritesNothing() {
    QFETCH(qint64, freeBytes);
    QFETCH(bool, existing);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("effect.DS7"));
    const QByteArray old("the user's previous file");
    if (existing)
        QVERIFY(writeAll(path, old));

    file::FreeSpace::setOverride(freeBytes);
    QCOMPARE(dspWithPayload(1000)->save(path), 2);
    file::FreeSpace::clearOverride();

    if (existing) {
        QCOMPARE(readAll(path), old);
        QCOMPARE(entriesOf(folder.path()), QStringList{QStringLiteral("effect.DS7")});
    } else {
        QVERIFY(!QFile::exists(path));
        QVERIFY(entriesOf(folder.path()).isEmpty());
    }
}

void tst_FileSave::exactlyEnoughFreeSpaceIsEnough() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("effect.DS7"));
    file::FreeSpace::setOverride(276 + 1000);
    QCOMPARE(dspWithPayload(1000)->save(path), 0);
    QCOMPARE(readAll(path).size(), 1276);
}

void tst_FileSave::failedWriteKeepsTheOldFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("backup.DS7"));
    const QByteArray old = FileImages::common("DS7F", "PRV-1200", 0, FileImages::pattern(500));
    QVERIFY(writeAll(path, old));

    const auto replacement = dspWithPayload(64 * 1024);
    int result = -1;
    {
        // The volume "fills up" after 4 KB: the write of 64 KB fails part-way.
        testsupport::FileSizeLimit limit(4096);
        QVERIFY(limit.isActive());
        result = replacement->save(path);
    }
    QCOMPARE(result, 2);
    QCOMPARE(readAll(path), old);
    QCOMPARE(entriesOf(folder.path()), QStringList{QStringLiteral("backup.DS7")});

    // With room again, the same save goes through.
    QCOMPARE(replacement->save(path), 0);
    QCOMPARE(readAll(path).size(), 276 + 64 * 1024);
}

void tst_FileSave::unwritableTargetGivesTwo_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder does not exist") << "missing folder";
    QTest::newRow("parent is a file") << "file parent";
    QTest::newRow("target is a folder") << "folder target";
    QTest::newRow("read-only folder") << "read-only folder";
    QTest::newRow("read-only file system") << "proc";
}

void tst_FileSave::unwritableTargetGivesTwo() {
    QFETCH(QString, kind);

    QTemporaryDir folder;
    QString path;
    if (kind == QLatin1String("missing folder")) {
        path = folder.filePath(QStringLiteral("no/such/folder/effect.DS7"));
    } else if (kind == QLatin1String("file parent")) {
        QVERIFY(writeAll(folder.filePath(QStringLiteral("plain")), "x"));
        path = folder.filePath(QStringLiteral("plain/effect.DS7"));
    } else if (kind == QLatin1String("folder target")) {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("effect.DS7")));
        path = folder.filePath(QStringLiteral("effect.DS7"));
    } else if (kind == QLatin1String("read-only folder")) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("locked")));
        QVERIFY(QFile::setPermissions(folder.filePath(QStringLiteral("locked")),
                                      QFile::ReadOwner | QFile::ExeOwner));
        path = folder.filePath(QStringLiteral("locked/effect.DS7"));
    } else {
        if (!QFileInfo(QStringLiteral("/proc/self")).isDir())
            QSKIP("no /proc on this system");
        path = QStringLiteral("/proc/self/effect.DS7");
    }
    // Plenty of room, so that the write itself has to fail.
    file::FreeSpace::setOverride(qint64(1) << 40);
    QCOMPARE(dspWithPayload(100)->save(path), 2);
    QVERIFY(!QFileInfo(path).isFile());
    if (kind == QLatin1String("read-only folder"))
        QFile::setPermissions(folder.filePath(QStringLiteral("locked")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void tst_FileSave::unserialisableDataLeaveTheTargetAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("existing");
    QTest::newRow("rhythm of no form, existing file") << "rhythm" << true;
    QTest::newRow("rhythm of no form, new file") << "rhythm" << false;
    QTest::newRow("empty preset, existing file") << "preset" << true;
    QTest::newRow("empty preset, new file") << "preset" << false;
}

void tst_FileSave::unserialisableDataLeaveTheTargetAlone() {
    QFETCH(QString, kind);
    QFETCH(bool, existing);

    std::unique_ptr<file::AbstractFile> item;
    if (kind == QLatin1String("rhythm")) {
        item = std::make_unique<file::RhythmDataFile>();
        item->setData(FileImages::pattern(18));
    } else {
        item = std::make_unique<file::MusicPresetDataFile>();
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("item.dat"));
    const QByteArray old = FileImages::nativeRhythm(116);
    if (existing)
        QVERIFY(writeAll(path, old));

    QCOMPARE(item->save(path), 3);
    if (existing)
        QCOMPARE(readAll(path), old);
    else
        QVERIFY(!QFile::exists(path));

    QBuffer buffer;
    QCOMPARE(item->save(&buffer), 3);
    QVERIFY(buffer.data().isEmpty());
}

void tst_FileSave::deviceRoundTrip() {
    QBuffer buffer;
    const auto written = dspWithPayload(300);
    QCOMPARE(written->save(&buffer), 0);
    QVERIFY(!buffer.isOpen());
    QCOMPARE(buffer.data().size(), 576);

    file::DspDataFile read;
    QCOMPARE(read.load(&buffer), 0);
    QCOMPARE(read.data(), written->data());

    // A device the caller opened is left open.
    QBuffer open;
    QVERIFY(open.open(QIODevice::WriteOnly));
    QCOMPARE(written->save(&open), 0);
    QVERIFY(open.isOpen());
    QCOMPARE(open.data(), buffer.data());
}

void tst_FileSave::deviceNotOpenForWritingGivesTwo() {
    QByteArray bytes("untouched");
    QBuffer readOnly(&bytes);
    QVERIFY(readOnly.open(QIODevice::ReadOnly));
    QCOMPARE(dspWithPayload(10)->save(&readOnly), 2);
    QCOMPARE(bytes, QByteArray("untouched"));
    QCOMPARE(dspWithPayload(10)->save(static_cast<QIODevice*>(nullptr)), 2);
}

void tst_FileSave::loadOfMissingOrUnreadableFileGivesOne() {
    QTemporaryDir folder;
    file::DspDataFile dsp;
    QCOMPARE(dsp.load(folder.filePath(QStringLiteral("missing.DS7"))), 1);
    QCOMPARE(dsp.load(folder.path()), 1);
    QCOMPARE(dsp.load(QString()), 1);
    QCOMPARE(dsp.load(static_cast<QIODevice*>(nullptr)), 1);
    QBuffer writeOnly;
    QVERIFY(writeOnly.open(QIODevice::WriteOnly));
    QCOMPARE(dsp.load(&writeOnly), 1);
}

void tst_FileSave::realFreeSpaceIsReported() {
    QTemporaryDir folder;
    QVERIFY(file::FreeSpace::bytesAvailable(folder.path()) > 0);
    file::FreeSpace::setOverride(123);
    QCOMPARE(file::FreeSpace::bytesAvailable(folder.path()), qint64(123));
    file::FreeSpace::clearOverride();
    QVERIFY(file::FreeSpace::bytesAvailable(folder.path()) != 123);
}

QTEST_GUILESS_MAIN(tst_FileSave)
#include "tst_FileSave.moc"
