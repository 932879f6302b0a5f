#include "FileImages.h"
#include "ModelScope.h"

#include "data/KeyboardInfo.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq13Info.h"
#include "data/Zq14Info.h"
#include "data/Zq15Info.h"
#include "data/Zq20BInfo.h"
#include "data/Zq21BInfo.h"
#include "data/Zq21CInfo.h"
#include "file/AllDataFile.h"
#include "file/DrawbarDataFile.h"
#include "file/DspDataFile.h"
#include "file/RegistrationDataFile.h"
#include "file/ScaleDataFile.h"
#include "file/SequencerDataFile.h"
#include "file/ToneDataFile.h"

#include <QtTest>

#include <memory>

using namespace zel::qmix;
using file::CommonFormatFile;

Q_DECLARE_METATYPE(data::KeyboardInfo*)

namespace {

std::unique_ptr<CommonFormatFile> makeFile(const QString& className) {
    if (className == QLatin1String("DspDataFile"))
        return std::make_unique<file::DspDataFile>();
    if (className == QLatin1String("ToneDataFile"))
        return std::make_unique<file::ToneDataFile>();
    if (className == QLatin1String("ScaleDataFile"))
        return std::make_unique<file::ScaleDataFile>();
    if (className == QLatin1String("DrawbarDataFile"))
        return std::make_unique<file::DrawbarDataFile>();
    if (className == QLatin1String("SequencerDataFile"))
        return std::make_unique<file::SequencerDataFile>();
    if (className == QLatin1String("RegistrationDataFile"))
        return std::make_unique<file::RegistrationDataFile>();
    if (className == QLatin1String("AllDataFile"))
        return std::make_unique<file::AllDataFile>();
    return {};
}

QByteArray withByte(QByteArray bytes, int offset, char value) {
    bytes[offset] = value;
    return bytes;
}

} // namespace

class tst_CommonFormatFile : public QObject {
    Q_OBJECT

private slots:
    void fromByteArrayRejectsBadImages_data();
    void fromByteArrayRejectsBadImages();
    void headerFieldsAreReadInTheirByteOrder_data();
    void headerFieldsAreReadInTheirByteOrder();
    void zeroBytesInTheModelNameAreKept();
    void writtenLayoutMatchesTheDocumentedOffsets();
    void roundTripKeepsEveryByte_data();
    void roundTripKeepsEveryByte();
    void initializeFollowsTheCurrentModel_data();
    void initializeFollowsTheCurrentModel();
    void isValidNeedsTheOwnIdentifier_data();
    void isValidNeedsTheOwnIdentifier();
    void isCompatibleModel_data();
    void isCompatibleModel();
    void setTableKeepsSixtyFourEntries_data();
    void setTableKeepsSixtyFourEntries();
};

void tst_CommonFormatFile::fromByteArrayRejectsBadImages_data() {
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("expected");

    const QByteArray payload = FileImages::pattern(10);
    const QByteArray good = FileImages::common("DS7F", "PRV-1200", 0, payload);
    QTest::newRow("one payload byte") << FileImages::common("DS7F", "PRV-1200", 0, "x") << 0;
    QTest::newRow("ten payload bytes") << good << 0;
    QTest::newRow("empty") << QByteArray() << 3;
    QTest::newRow("one byte") << QByteArray(1, 'D') << 3;
    QTest::newRow("header cut at 275") << good.left(275) << 3;
    QTest::newRow("header only, length 0") << FileImages::common("DS7F", "PRV-1200", 0, {}) << 3;
    QTest::newRow("length one less than payload")
        << FileImages::common("DS7F", "PRV-1200", 0, payload, {}, payload.size() - 1) << 3;
    QTest::newRow("length one more than payload")
        << FileImages::common("DS7F", "PRV-1200", 0, payload, {}, payload.size() + 1) << 3;
    QTest::newRow("length -1") << FileImages::common("DS7F", "PRV-1200", 0, payload, {}, 0xFFFFFFFF)
                               << 3;
    QTest::newRow("length claims 2 GB")
        << FileImages::common("DS7F", "PRV-1200", 0, payload, {}, 0x7FFFFFFF) << 3;
    QTest::newRow("length of the smallest int")
        << FileImages::common("DS7F", "PRV-1200", 0, payload, {}, 0x80000000) << 3;
    QTest::newRow("payload truncated by one") << good.left(good.size() - 1) << 3;
}

void tst_CommonFormatFile::fromByteArrayRejectsBadImages() {
    QFETCH(QByteArray, image);
    QFETCH(int, expected);

    file::DspDataFile dsp;
    QCOMPARE(dsp.fromByteArray(image), expected);
    if (expected == 0)
        QCOMPARE(dsp.data(), image.mid(276));
    else
        QVERIFY(dsp.data().isEmpty());
}

void tst_CommonFormatFile::headerFieldsAreReadInTheirByteOrder_data() {
    QTest::addColumn<QByteArray>("versionBytes");
    QTest::addColumn<int>("version");

    QTest::newRow("00 00 00 01") << QByteArray::fromHex("00000001") << 1;
    QTest::newRow("00 00 00 04") << QByteArray::fromHex("00000004") << 4;
    QTest::newRow("01 00 00 00") << QByteArray::fromHex("01000000") << 0x01000000;
    QTest::newRow("ff ff ff ff") << QByteArray::fromHex("ffffffff") << -1;
}

void tst_CommonFormatFile::headerFieldsAreReadInTheirByteOrder() {
    QFETCH(QByteArray, versionBytes);
    QFETCH(int, version);

    QByteArray image = FileImages::common("TAV1", "PRV-3100", 0, FileImages::pattern(0x0102),
                                          {0x11223344, -2, 0, 7});
    image.replace(16, 4, versionBytes);
    // The payload length is little-endian: 0x0102 is stored as 02 01 00 00.
    QCOMPARE(image.mid(12, 4), QByteArray::fromHex("02010000"));

    file::SequencerDataFile song;
    QCOMPARE(song.fromByteArray(image), 0);
    QCOMPARE(song.identifier(), QStringLiteral("TAV1"));
    QCOMPARE(song.modelName(), QStringLiteral("PRV-3100"));
    QCOMPARE(song.formatVersion(), version);
    const QList<int> table = song.table();
    QCOMPARE(table.size(), 64);
    QCOMPARE(table.mid(0, 5), (QList<int>{0x11223344, -2, 0, 7, 0}));
    QCOMPARE(song.data().size(), 0x0102);
}

void tst_CommonFormatFile::zeroBytesInTheModelNameAreKept() {
    const QByteArray model("QS-1\0\0\0\0", 8);
    file::DspDataFile dsp;
    QCOMPARE(dsp.fromByteArray(FileImages::common("DS7F", model, 0, "abc")), 0);
    QCOMPARE(dsp.modelName().size(), 8);
    QCOMPARE(dsp.modelName().toLatin1(), model);
    QVERIFY(dsp.isValid());
    // "QS-1" followed by zero bytes is not the model "QS-1    ".
    QVERIFY(!dsp.isCompatibleModel(QStringLiteral("QS-1")));
    QByteArray written;
    QCOMPARE(dsp.toByteArray(written), 0);
    QCOMPARE(written.mid(4, 8), model);
}

void tst_CommonFormatFile::writtenLayoutMatchesTheDocumentedOffsets() {
    ModelScope scope(data::Zq21CInfo::instance());
    file::RegistrationDataFile registration;
    registration.setData(QByteArray::fromHex("a1b2c3"));

    QByteArray image;
    QCOMPARE(registration.toByteArray(image), 0);
    QCOMPARE(image.size(), 276 + 3);
    QCOMPARE(image.left(4), QByteArray("RM7F"));
    QCOMPARE(image.mid(4, 8), QByteArray("PRV-2200"));
    QCOMPARE(image.mid(12, 4), QByteArray::fromHex("03000000"));
    QCOMPARE(image.mid(16, 4), QByteArray::fromHex("00000004"));
    QCOMPARE(image.mid(20, 256), QByteArray(256, '\0'));
    QCOMPARE(image.mid(276), QByteArray::fromHex("a1b2c3"));
}

void tst_CommonFormatFile::roundTripKeepsEveryByte_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<QByteArray>("image");

    QTest::newRow("DSP") << "DspDataFile"
                         << FileImages::common("DS7F", "PRV-1100", 0, FileImages::pattern(300));
    QTest::newRow("tone") << "ToneDataFile"
                          << FileImages::common("TN7F", "QS-2    ", 0, FileImages::pattern(5, 9));
    QTest::newRow("scale") << "ScaleDataFile"
                           << FileImages::common("CSD1", "QS-1    ", 0, FileImages::pattern(40));
    QTest::newRow("drawbar") << "DrawbarDataFile"
                             << FileImages::common("DB7F", "PRV-3200", 1, FileImages::pattern(84));
    QTest::newRow("song") << "SequencerDataFile"
                          << FileImages::common("TAV1", "PRV-2100", 1, FileImages::pattern(817));
    QTest::newRow("registration") << "RegistrationDataFile"
                                  << FileImages::common("RM7F", "LM-5200 ", 4,
                                                        FileImages::pattern(1000), {1, 2, 3});
    QTest::newRow("backup") << "AllDataFile"
                            << FileImages::backup("PRV-1100", 0,
                                                  data::Zq10Info::instance()->allDataBlockSizes());
}

void tst_CommonFormatFile::roundTripKeepsEveryByte() {
    QFETCH(QString, className);
    QFETCH(QByteArray, image);

    std::unique_ptr<CommonFormatFile> loaded = makeFile(className);
    QVERIFY(loaded);
    QCOMPARE(loaded->className(), className);
    QCOMPARE(loaded->fromByteArray(image), 0);
    QCOMPARE(loaded->data(), image.mid(276));
    QByteArray written;
    QCOMPARE(loaded->toByteArray(written), 0);
    QCOMPARE(written, image);
}

void tst_CommonFormatFile::initializeFollowsTheCurrentModel_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<data::KeyboardInfo*>("model");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("firstTableEntry");

    QTest::newRow("tone, QS-1") << "ToneDataFile" << (data::KeyboardInfo*)data::Zq12Info::instance()
                                << "TN7F" << 0 << 0;
    QTest::newRow("DSP, PRV-1100")
        << "DspDataFile" << (data::KeyboardInfo*)data::Zq10Info::instance() << "DS7F" << 0 << 0;
    QTest::newRow("scale, QS-2") << "ScaleDataFile"
                                 << (data::KeyboardInfo*)data::Zq15Info::instance() << "CSD1" << 0
                                 << 0;
    QTest::newRow("drawbar, PRV-1200")
        << "DrawbarDataFile" << (data::KeyboardInfo*)data::Zq11Info::instance() << "DB7F" << 0 << 0;
    QTest::newRow("drawbar, PRV-3200")
        << "DrawbarDataFile" << (data::KeyboardInfo*)data::Zq21BInfo::instance() << "DB7F" << 1
        << 0;
    QTest::newRow("song, PRV-1100")
        << "SequencerDataFile" << (data::KeyboardInfo*)data::Zq10Info::instance() << "TAV1" << 0
        << 0;
    QTest::newRow("song, PRV-3100")
        << "SequencerDataFile" << (data::KeyboardInfo*)data::Zq20BInfo::instance() << "TAV1" << 1
        << 0;
    QTest::newRow("registration, PRV-2200")
        << "RegistrationDataFile" << (data::KeyboardInfo*)data::Zq21CInfo::instance() << "RM7F" << 4
        << 0;
    QTest::newRow("backup, PRV-1100")
        << "AllDataFile" << (data::KeyboardInfo*)data::Zq10Info::instance() << "AL7F" << 0 << 65532;
    QTest::newRow("backup, PRV-3200")
        << "AllDataFile" << (data::KeyboardInfo*)data::Zq21BInfo::instance() << "AL7F" << 2
        << 167932;
}

void tst_CommonFormatFile::initializeFollowsTheCurrentModel() {
    QFETCH(QString, className);
    QFETCH(data::KeyboardInfo*, model);
    QFETCH(QString, identifier);
    QFETCH(int, version);
    QFETCH(int, firstTableEntry);

    ModelScope scope(model);
    std::unique_ptr<CommonFormatFile> created = makeFile(className);
    QCOMPARE(created->identifier(), identifier);
    QCOMPARE(created->modelName(), model->modelName());
    QCOMPARE(created->formatVersion(), version);
    QCOMPARE(created->table().size(), 64);
    QCOMPARE(created->table().first(), firstTableEntry);
    QVERIFY(created->data().isEmpty());
    QCOMPARE(created->headerSize(), 276);
}

void tst_CommonFormatFile::isValidNeedsTheOwnIdentifier_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("valid");

    const QByteArray payload = FileImages::pattern(84);
    QTest::newRow("DSP") << "DspDataFile" << FileImages::common("DS7F", "QS-1    ", 0, payload)
                         << true;
    QTest::newRow("DSP read as tone")
        << "ToneDataFile" << FileImages::common("DS7F", "QS-1    ", 0, payload) << false;
    QTest::newRow("scale") << "ScaleDataFile" << FileImages::common("CSD1", "QS-1    ", 0, payload)
                           << true;
    QTest::newRow("scale in lower case")
        << "ScaleDataFile" << FileImages::common("csd1", "QS-1    ", 0, payload) << false;
    QTest::newRow("drawbar") << "DrawbarDataFile"
                             << FileImages::common("DB7F", "PRV-1200", 0, payload) << true;
    QTest::newRow("drawbar with a zero byte")
        << "DrawbarDataFile" << withByte(FileImages::common("DB7F", "PRV-1200", 0, payload), 3, 0)
        << false;
    QTest::newRow("song") << "SequencerDataFile"
                          << FileImages::common("TAV1", "PRV-1200", 0, payload) << true;
    QTest::newRow("registration read as song")
        << "SequencerDataFile" << FileImages::common("RM7F", "PRV-1200", 0, payload) << false;
    QTest::newRow("registration") << "RegistrationDataFile"
                                  << FileImages::common("RM7F", "PRV-1200", 0, payload) << true;
    // The model name is not checked here: unknown models are refused by
    // the category check.
    QTest::newRow("registration of an unknown model")
        << "RegistrationDataFile" << FileImages::common("RM7F", "XYZ-9999", 0, payload) << true;
}

void tst_CommonFormatFile::isValidNeedsTheOwnIdentifier() {
    QFETCH(QString, className);
    QFETCH(QByteArray, image);
    QFETCH(bool, valid);

    std::unique_ptr<CommonFormatFile> loaded = makeFile(className);
    QCOMPARE(loaded->fromByteArray(image), 0);
    QCOMPARE(loaded->isValid(), valid);
}

void tst_CommonFormatFile::isCompatibleModel_data() {
    QTest::addColumn<QByteArray>("fileModel");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("compatible");

    QTest::newRow("own model") << QByteArray("PRV-1100") << 0 << "PRV-1100" << true;
    QTest::newRow("own model, version 3") << QByteArray("PRV-2100") << 3 << "PRV-2100" << true;
    QTest::newRow("own model, blanks around target")
        << QByteArray("QS-1    ") << 0 << "  QS-1 " << true;
    QTest::newRow("PRV-1100 to LM-4100") << QByteArray("PRV-1100") << 0 << "LM-4100" << true;
    QTest::newRow("LM-4100 to PRV-1100") << QByteArray("LM-4100 ") << 0 << "PRV-1100" << true;
    QTest::newRow("PRV-1200 to LM-4200") << QByteArray("PRV-1200") << 0 << "LM-4200" << true;
    QTest::newRow("LM-4200 to PRV-1200") << QByteArray("LM-4200 ") << 0 << "PRV-1200" << true;
    QTest::newRow("QS-1 to QS-2") << QByteArray("QS-1    ") << 0 << "QS-2" << true;
    QTest::newRow("QS-2 to QS-1") << QByteArray("QS-2    ") << 0 << "QS-1" << true;
    QTest::newRow("pair, version 1") << QByteArray("PRV-1100") << 1 << "LM-4100" << false;
    QTest::newRow("PRV-1100 to QS-1") << QByteArray("PRV-1100") << 0 << "QS-1" << false;
    QTest::newRow("PRV-1100 to PRV-1200") << QByteArray("PRV-1100") << 0 << "PRV-1200" << false;
    QTest::newRow("LM-4100 to LM-4200") << QByteArray("LM-4100 ") << 0 << "LM-4200" << false;
    // These models derive from PRV-1100's description but are not its pair.
    QTest::newRow("PRV-1100 to PRV-3100") << QByteArray("PRV-1100") << 0 << "PRV-3100" << false;
    QTest::newRow("PRV-3100 to PRV-1100") << QByteArray("PRV-3100") << 0 << "PRV-1100" << false;
    QTest::newRow("LM-4100 to LM-5100") << QByteArray("LM-4100 ") << 0 << "LM-5100" << false;
    QTest::newRow("PRV-1200 to PRV-3200") << QByteArray("PRV-1200") << 0 << "PRV-3200" << false;
    QTest::newRow("QS-1 to LM-4100") << QByteArray("QS-1    ") << 0 << "LM-4100" << false;
    QTest::newRow("unknown file model") << QByteArray("PRV-9999") << 0 << "PRV-1100" << false;
    QTest::newRow("unknown target") << QByteArray("PRV-1100") << 0 << "PRV-9999" << false;
    QTest::newRow("target in lower case") << QByteArray("PRV-1100") << 0 << "prv-1100" << false;
    QTest::newRow("empty target") << QByteArray("PRV-1100") << 0 << "" << false;
}

void tst_CommonFormatFile::isCompatibleModel() {
    QFETCH(QByteArray, fileModel);
    QFETCH(int, version);
    QFETCH(QString, target);
    QFETCH(bool, compatible);

    file::RegistrationDataFile registration;
    QCOMPARE(registration.fromByteArray(FileImages::common("RM7F", fileModel, version, "r")), 0);
    QCOMPARE(registration.isCompatibleModel(target), compatible);
}

void tst_CommonFormatFile::setTableKeepsSixtyFourEntries_data() {
    QTest::addColumn<int>("given");
    QTest::newRow("none") << 0;
    QTest::newRow("ten") << 10;
    QTest::newRow("sixty-four") << 64;
    QTest::newRow("seventy") << 70;
}

void tst_CommonFormatFile::setTableKeepsSixtyFourEntries() {
    QFETCH(int, given);

    QList<int> entries;
    for (int i = 0; i < given; ++i)
        entries.append(i + 1);
    file::DspDataFile dsp;
    dsp.setTable(entries);
    const QList<int> table = dsp.table();
    QCOMPARE(table.size(), 64);
    for (int i = 0; i < 64; ++i)
        QCOMPARE(table.at(i), i < given ? i + 1 : 0);

    // Whatever was given, the header stays 276 bytes long.
    dsp.setData("p");
    QByteArray image;
    QCOMPARE(dsp.toByteArray(image), 0);
    QCOMPARE(image.size(), 277);
    QCOMPARE(image.at(276), 'p');
}

QTEST_GUILESS_MAIN(tst_CommonFormatFile)
#include "tst_CommonFormatFile.moc"
