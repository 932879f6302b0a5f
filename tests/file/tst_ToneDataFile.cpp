#include "FileImages.h"
#include "ModelScope.h"

#include "data/KeyboardInfo.h"
#include "data/Zq10Info.h"
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq20CInfo.h"
#include "data/Zq21BInfo.h"
#include "file/ToneDataFile.h"

#include <QtTest>

using namespace zel::qmix;

Q_DECLARE_METATYPE(data::KeyboardInfo*)

namespace {

// A tone payload whose byte 4 is `typeByte`.
QByteArray toneWithByte4(char typeByte, int size = 32) {
    QByteArray payload = FileImages::pattern(size);
    if (size > 4)
        payload[4] = typeByte;
    return payload;
}

} // namespace

class tst_ToneDataFile : public QObject {
    Q_OBJECT

private slots:
    void toneTypeComesFromBits2To5_data();
    void toneTypeComesFromBits2To5();
    void validityDependsOnTheCurrentModel_data();
    void validityDependsOnTheCurrentModel();
};

void tst_ToneDataFile::toneTypeComesFromBits2To5_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("type");

    QTest::newRow("byte 4 = 0x00") << toneWithByte4('\x00') << 0;
    QTest::newRow("byte 4 = 0x04") << toneWithByte4('\x04') << 1;
    QTest::newRow("byte 4 = 0x08") << toneWithByte4('\x08') << 2;
    QTest::newRow("byte 4 = 0x3c") << toneWithByte4('\x3c') << 15;
    // Bits 0, 1, 6 and 7 are not part of the type.
    QTest::newRow("byte 4 = 0xc3") << toneWithByte4('\xc3') << 0;
    QTest::newRow("byte 4 = 0xc7") << toneWithByte4('\xc7') << 1;
    QTest::newRow("five bytes") << toneWithByte4('\x04', 5) << 1;
    QTest::newRow("four bytes") << FileImages::pattern(4, 1) << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void tst_ToneDataFile::toneTypeComesFromBits2To5() {
    QFETCH(QByteArray, payload);
    QFETCH(int, type);
    QCOMPARE(file::ToneDataFile::toneType(payload), type);
}

void tst_ToneDataFile::validityDependsOnTheCurrentModel_data() {
    QTest::addColumn<data::KeyboardInfo*>("model");
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("valid");

    data::KeyboardInfo* refusing[] = {data::Zq10Info::instance(), data::Zq20CInfo::instance()};
    data::KeyboardInfo* accepting[] = {data::Zq11Info::instance(), data::Zq12Info::instance(),
                                       data::Zq21BInfo::instance()};
    const auto image = [](char typeByte) {
        return FileImages::common("TN7F", "PRV-1200", 0, toneWithByte4(typeByte));
    };
    for (data::KeyboardInfo* model : refusing) {
        const QByteArray name = model->modelName().trimmed().toLatin1();
        QTest::addRow("type 0, %s", name.constData()) << model << image('\x00') << true;
        QTest::addRow("type 1, %s", name.constData()) << model << image('\x04') << false;
        QTest::addRow("type 2, %s", name.constData()) << model << image('\x08') << false;
    }
    for (data::KeyboardInfo* model : accepting) {
        const QByteArray name = model->modelName().trimmed().toLatin1();
        QTest::addRow("type 0, %s", name.constData()) << model << image('\x00') << true;
        QTest::addRow("type 1, %s", name.constData()) << model << image('\x04') << true;
        QTest::addRow("type 2, %s", name.constData()) << model << image('\x08') << false;
        QTest::addRow("type 15, %s", name.constData()) << model << image('\x3c') << false;
        QTest::addRow("type 1 under a DSP identifier, %s", name.constData())
            << model << FileImages::common("DS7F", "PRV-1200", 0, toneWithByte4('\x04')) << false;
    }
}

void tst_ToneDataFile::validityDependsOnTheCurrentModel() {
    QFETCH(data::KeyboardInfo*, model);
    QFETCH(QByteArray, image);
    QFETCH(bool, valid);

    ModelScope scope(model);
    file::ToneDataFile tone;
    QCOMPARE(tone.fromByteArray(image), 0);
    QCOMPARE(tone.isValid(), valid);
}

QTEST_GUILESS_MAIN(tst_ToneDataFile)
#include "tst_ToneDataFile.moc"
