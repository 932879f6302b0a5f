#include "KeyboardHarness.h"

#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "emu/KeyboardFactory.h"
#include "emu/MemoryImage.h"
#include "emu/StateFile.h"
#include "sysex/Checksum.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace zel::qmix;

namespace {

const data::KeyboardInfo* prv1100() {
    return data::Zq10Info::instance();
}

template <typename T> QByteArray le(T value) {
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray areaRecord(int category, int area, const QByteArray& data) {
    return le<quint8>(quint8(category)) + le<quint16>(quint16(area)) +
           le<quint32>(quint32(data.size())) + data;
}

QByteArray parameterRecord(int category, int id, int index0, qint32 value) {
    return le<quint8>(quint8(category)) + le<quint8>(0) + le<quint16>(0) +
           le<quint16>(quint16(index0)) + le<quint16>(0) + le<quint16>(0) + le<quint16>(0) +
           le<quint16>(quint16(id)) + le<quint16>(0) + le<qint32>(value);
}

// An image made by hand, with a correct checksum unless told otherwise.
QByteArray image(const QList<QByteArray>& areas, const QList<QByteArray>& parameters,
                 quint16 version = 1) {
    QByteArray bytes = QByteArray("THKM") + le<quint16>(version) + QByteArray("PRV-1100") +
                       le<quint32>(quint32(areas.size())) + le<quint32>(quint32(parameters.size()));
    for (const QByteArray& record : areas)
        bytes += record;
    for (const QByteArray& record : parameters)
        bytes += record;
    return bytes + le<quint32>(sysex::Checksum::crc32(bytes));
}

emu::KeyboardMemory sampleMemory() {
    emu::KeyboardMemory memory = emu::KeyboardMemory::factoryDefault(prv1100());
    memory.setAreaData(33, 2, QByteArray(1500, 's'));
    memory.setAreaData(3, 9, QByteArray("a tone"));
    memory.setParameter({2, 0, 0, {7, 0, 0, 0}, 106, 0}, 1234);
    memory.setParameter({2, 0, 0, {0, 0, 0, 0}, 4, 0}, -5);
    return memory;
}

} // namespace

class tst_KeyboardState : public QObject {
    Q_OBJECT

private slots:
    void imageRoundTrip();
    void imageOfAHandMadeMemory();
    void damagedImagesAreRefused_data();
    void damagedImagesAreRefused();
    void stateFileRoundTrip();
    void missingStateFileIsANewKeyboard();
    void damagedStateFileIsLeftAlone();
    void secondRunSeesWhatTheFirstStored();
    void modelsKeepSeparateFiles();
    void changeThatCannotBeStoredIsRefused();
};

void tst_KeyboardState::imageRoundTrip() {
    const emu::KeyboardMemory memory = sampleMemory();
    const QByteArray encoded = emu::MemoryImage::encode(memory);
    QCOMPARE(encoded.size(), emu::MemoryImage::encodedSize(memory));
    emu::KeyboardMemory decoded(prv1100());
    QString error;
    QVERIFY2(emu::MemoryImage::decode(encoded, prv1100(), decoded, &error), qPrintable(error));
    QVERIFY(decoded == memory);

    // The backup carries the same, padded to the model's backup size.
    const QByteArray backup = emu::MemoryImage::backupImage(memory);
    QCOMPARE(backup.size(), 483288);
    QVERIFY(backup.startsWith(encoded));
    emu::KeyboardMemory fromBackup(prv1100());
    QVERIFY(emu::MemoryImage::decode(backup, prv1100(), fromBackup));
    QVERIFY(fromBackup == memory);
}

void tst_KeyboardState::imageOfAHandMadeMemory() {
    const QByteArray bytes =
        image({areaRecord(36, 3, "rhythm data")}, {parameterRecord(2, 106, 7, 99)});
    emu::KeyboardMemory memory(prv1100());
    QVERIFY(emu::MemoryImage::decode(bytes, prv1100(), memory));
    QCOMPARE(memory.areaData(36, 3), QByteArray("rhythm data"));
    QCOMPARE(memory.parameter({2, 0, 0, {7, 0, 0, 0}, 106, 0}).value_or(-1), 99);
    // Areas the image leaves out hold their empty templates.
    QCOMPARE(memory.areaData(33, 4), prv1100()->emptyData(33, 4));
    QVERIFY(!memory.isAreaUsed(37, 0));
}

void tst_KeyboardState::damagedImagesAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray good = image({areaRecord(3, 0, "tone")}, {});
    QByteArray flipped = good;
    flipped[30] = char(flipped.at(30) ^ 0x01);
    QTest::newRow("one bit flipped") << flipped;
    QTest::newRow("cut short") << good.left(good.size() - 3);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not an image") << QByteArray(100, 'x');
    QTest::newRow("unknown format") << image({areaRecord(3, 0, "tone")}, {}, 2);
    QTest::newRow("bytes after the end") << good + QByteArray("junk");
    QTest::newRow("area the model lacks") << image({areaRecord(3, 100, "drawbar")}, {});
    QTest::newRow("category the model lacks") << image({areaRecord(18, 0, "scale")}, {});
    QTest::newRow("backup block as an area") << image({areaRecord(31, 0, "all")}, {});
    QTest::newRow("area stored twice")
        << image({areaRecord(3, 0, "tone"), areaRecord(3, 0, "tone")}, {});
    QTest::newRow("empty area record") << image({areaRecord(3, 0, QByteArray())}, {});
    QTest::newRow("rhythm larger than an area")
        << image({areaRecord(36, 0, QByteArray(32765, 'r'))}, {});
    QList<QByteArray> fullSongs;
    for (int area = 0; area < 5; ++area)
        fullSongs.append(areaRecord(33, area, QByteArray(13102, 's')));
    QTest::newRow("songs beyond the song memory") << image(fullSongs, {});
    QByteArray countTooLarge = good;
    countTooLarge.replace(14, 4, le<quint32>(1000000));
    QTest::newRow("area count beyond the data") << countTooLarge;
}

void tst_KeyboardState::damagedImagesAreRefused() {
    QFETCH(QByteArray, bytes);
    emu::KeyboardMemory memory = sampleMemory();
    QString error;
    QVERIFY(!emu::MemoryImage::decode(bytes, prv1100(), memory, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(memory == sampleMemory());
}

void tst_KeyboardState::stateFileRoundTrip() {
    QTemporaryDir dir;
    const emu::StateFile file(dir.path() + QStringLiteral("/nested/state"), prv1100());
    QVERIFY(file.path().endsWith(QStringLiteral("/PRV-1100.state")));
    QVERIFY(file.save(sampleMemory()));
    emu::KeyboardMemory loaded(prv1100());
    QVERIFY(file.load(loaded));
    QVERIFY(loaded == sampleMemory());
}

void tst_KeyboardState::missingStateFileIsANewKeyboard() {
    QTemporaryDir dir;
    const emu::StateFile file(dir.path(), prv1100());
    emu::KeyboardMemory loaded = sampleMemory();
    QVERIFY(file.load(loaded));
    QVERIFY(loaded == emu::KeyboardMemory::factoryDefault(prv1100()));
    QVERIFY(!file.exists());
}

void tst_KeyboardState::damagedStateFileIsLeftAlone() {
    QTemporaryDir dir;
    const emu::StateFile file(dir.path(), prv1100());
    QFile damaged(file.path());
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a keyboard");
    damaged.close();

    emu::KeyboardSetup setup;
    setup.model = prv1100();
    setup.stateDirectory = dir.path();
    QString error;
    QVERIFY(!emu::KeyboardFactory::create(setup, &error));
    QVERIFY(error.contains(file.path()));
    QVERIFY(damaged.open(QIODevice::ReadOnly));
    QCOMPARE(damaged.readAll(), QByteArray("not a keyboard"));
}

void tst_KeyboardState::secondRunSeesWhatTheFirstStored() {
    QTemporaryDir dir;
    emu::KeyboardSetup setup;
    setup.model = prv1100();
    setup.stateDirectory = dir.path();
    const QByteArray song(2000, 'q');
    {
        KeyboardHarness first(emu::KeyboardFactory::create(setup));
        QVERIFY(first.sendArea(33, 3, song));
        first.exchange(KeyboardHarness::ips(2, 106, {321}, 0, 9));
        first.select(36, 0);
        first.exchange(KeyboardHarness::ips(0, 39, {0}));
    }
    KeyboardHarness second(emu::KeyboardFactory::create(setup));
    QCOMPARE(second.keyboard().memory().areaData(33, 3), song);
    second.select(33, 3);
    QCOMPARE(second.system(29), 1);
    QCOMPARE(second.system(31), 2000);
    QCOMPARE(second.request(2, 106, 0, 0, 9), QVector<qint32>{321});
}

void tst_KeyboardState::modelsKeepSeparateFiles() {
    QTemporaryDir dir;
    emu::KeyboardSetup setup;
    setup.model = prv1100();
    setup.stateDirectory = dir.path();
    {
        KeyboardHarness first(emu::KeyboardFactory::create(setup));
        QVERIFY(first.sendArea(3, 1, "prv-1100 tone"));
    }
    setup.model = data::Zq11Info::instance();
    {
        KeyboardHarness other(emu::KeyboardFactory::create(setup));
        QVERIFY(!other.keyboard().memory().isAreaUsed(3, 1));
        QVERIFY(other.sendArea(3, 1, "prv-1200 tone"));
    }
    setup.model = prv1100();
    KeyboardHarness again(emu::KeyboardFactory::create(setup));
    QCOMPARE(again.keyboard().memory().areaData(3, 1), QByteArray("prv-1100 tone"));
}

void tst_KeyboardState::changeThatCannotBeStoredIsRefused() {
    QTemporaryDir dir;
    emu::KeyboardSetup setup;
    setup.model = prv1100();
    setup.stateDirectory = dir.path();
    KeyboardHarness harness(emu::KeyboardFactory::create(setup));
    // A folder where the state file should be: nothing can be written there.
    QVERIFY(QDir(dir.path()).mkdir(emu::StateFile::fileName(prv1100())));

    const emu::KeyboardMemory before = harness.keyboard().memory();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot store its memory"));
    QVERIFY(!harness.sendArea(3, 1, "tone"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot store its memory"));
    harness.exchange(KeyboardHarness::ips(2, 106, {5}, 0, 1));
    QVERIFY(harness.keyboard().memory() == before);
    harness.select(3, 1);
    QCOMPARE(harness.system(29), 0);
}

QTEST_GUILESS_MAIN(tst_KeyboardState)
#include "tst_KeyboardState.moc"
