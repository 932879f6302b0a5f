#include "FileImages.h"
#include "ModelScope.h"

#include "data/AllDataCategory.h"
#include "data/DataCategory.h"
#include "data/DrawbarDataCategory.h"
#include "data/DspDataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MusicPresetDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/ScaleDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/ToneDataCategory.h"
#include "data/Zq10Info.h"
#include "file/CategoryFiles.h"
#include "file/CommonFormatFile.h"
#include "file/DrawbarDataFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <utility>

using namespace zel::qmix;
using file::CategoryFiles;

Q_DECLARE_METATYPE(data::DataCategory*)

namespace {

data::DataCategory* rhythm() {
    return data::RhythmDataCategory::instance();
}
data::DataCategory* song() {
    return data::SequencerDataCategory::instance();
}
data::DataCategory* scale() {
    return data::ScaleDataCategory::instance();
}
data::DataCategory* registration() {
    return data::RegistrationDataCategory::instance();
}
data::DataCategory* preset() {
    return data::MusicPresetDataCategory::instance();
}
data::DataCategory* tone() {
    return data::ToneDataCategory::instance();
}
data::DataCategory* dsp() {
    return data::DspDataCategory::instance();
}
data::DataCategory* drawbar() {
    return data::DrawbarDataCategory::instance();
}
data::DataCategory* all() {
    return data::AllDataCategory::instance();
}

QByteArray toneOfType(int type) {
    QByteArray payload = FileImages::pattern(64);
    payload[4] = static_cast<char>(type << 2);
    return FileImages::common("TN7F", "PRV-1200", 0, payload);
}

QByteArray backupOf(const QString& modelName, qint32 version = 0, int payloadAdjust = 0) {
    const data::KeyboardInfo* model = data::KeyboardInfo::find(modelName);
    return FileImages::backup(model->modelName().toLatin1(), version, model->allDataBlockSizes(),
                              payloadAdjust);
}

QByteArray registrationOf(const QByteArray& modelName, qint32 version) {
    return FileImages::common("RM7F", modelName, version, FileImages::pattern(2000));
}

QByteArray songOf(qint32 version, int size) {
    return FileImages::common("TAV1", "PRV-1100", version, FileImages::pattern(size));
}

// Every case below, as opened data.
void addOpenCases() {
    QTest::addColumn<data::DataCategory*>("category");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");

    QTest::newRow("rhythm, native") << rhythm() << "PRV-1100" << FileImages::nativeRhythm(116) << 0;
    QTest::newRow("rhythm, 32764 bytes")
        << rhythm() << "PRV-3200" << FileImages::nativeRhythm(32764) << 0;
    QTest::newRow("rhythm, 32765 bytes")
        << rhythm() << "PRV-3200" << FileImages::nativeRhythm(32765) << 5;
    QTest::newRow("rhythm, raw 32765 bytes")
        << rhythm() << "PRV-3200" << FileImages::rawRhythm(32765) << 5;
    QTest::newRow("rhythm, wrapped")
        << rhythm() << "QS-1" << FileImages::wrappedRhythm(FileImages::rawRhythm(19), "QS-1") << 0;
    QTest::newRow("rhythm, library")
        << rhythm() << "QS-1" << FileImages::libraryRhythm(FileImages::nativeRhythm(90)) << 0;
    QTest::newRow("rhythm, wrapped junk")
        << rhythm() << "QS-1" << FileImages::wrappedRhythm(QByteArray(100, '\x7f'), "QS-1") << 3;
    QTest::newRow("rhythm, wrapped 32765 bytes")
        << rhythm() << "QS-1" << FileImages::wrappedRhythm(FileImages::rawRhythm(32765), "QS-1")
        << 5;
    QTest::newRow("rhythm, 18 bytes") << rhythm() << "QS-1" << FileImages::rawRhythm(18) << 3;
    QTest::newRow("rhythm, empty") << rhythm() << "QS-1" << QByteArray() << 3;

    QTest::newRow("preset, empty") << preset() << "PRV-1100" << QByteArray() << 3;
    QTest::newRow("preset, 43 bytes") << preset() << "PRV-1100" << FileImages::musicPreset(43) << 0;
    QTest::newRow("preset, 8200 bytes")
        << preset() << "PRV-1200" << FileImages::musicPreset(8200) << 0;
    QTest::newRow("preset, 8201 bytes")
        << preset() << "PRV-1200" << FileImages::musicPreset(8201) << 5;
    QTest::newRow("preset, 10 bytes") << preset() << "PRV-1200" << FileImages::musicPreset(10) << 3;

    QTest::newRow("song, 62240 bytes on PRV-1100") << song() << "PRV-1100" << songOf(0, 62240) << 0;
    QTest::newRow("song, 62241 bytes on PRV-1100") << song() << "PRV-1100" << songOf(0, 62241) << 5;
    QTest::newRow("song, 62241 bytes on PRV-1200") << song() << "PRV-1200" << songOf(0, 62241) << 0;
    QTest::newRow("song, 164641 bytes on PRV-1200")
        << song() << "PRV-1200" << songOf(0, 164641) << 5;
    QTest::newRow("song, version 0 on PRV-3100") << song() << "PRV-3100" << songOf(0, 817) << 0;
    QTest::newRow("song, version 1 on PRV-1100") << song() << "PRV-1100" << songOf(1, 817) << 3;
    QTest::newRow("song, version 2 on PRV-3100") << song() << "PRV-3100" << songOf(2, 817) << 3;
    QTest::newRow("song, header only") << song() << "PRV-1100" << songOf(0, 0) << 3;

    QTest::newRow("tone, type 1 on PRV-1100") << tone() << "PRV-1100" << toneOfType(1) << 3;
    QTest::newRow("tone, type 1 on PRV-1200") << tone() << "PRV-1200" << toneOfType(1) << 0;
    QTest::newRow("tone, type 2 on PRV-1200") << tone() << "PRV-1200" << toneOfType(2) << 3;

    QTest::newRow("DSP of PRV-1100 on QS-1")
        << dsp() << "QS-1" << FileImages::common("DS7F", "PRV-1100", 0, "dsp") << 0;
    QTest::newRow("DSP, tone identifier")
        << dsp() << "QS-1" << FileImages::common("TN7F", "PRV-1100", 0, "dsp") << 3;
    QTest::newRow("scale") << scale() << "QS-2" << FileImages::common("CSD1", "QS-2    ", 0, "s")
                           << 0;

    QTest::newRow("drawbar, version 0 on PRV-3200")
        << drawbar() << "PRV-3200" << FileImages::common("DB7F", "PRV-1200", 0, QByteArray(84, 3))
        << 0;
    QTest::newRow("drawbar, version 0 of 83 bytes on PRV-3200")
        << drawbar() << "PRV-3200" << FileImages::common("DB7F", "PRV-1200", 0, QByteArray(83, 3))
        << 3;
    QTest::newRow("drawbar, version 0 of 83 bytes on PRV-1200")
        << drawbar() << "PRV-1200" << FileImages::common("DB7F", "PRV-1200", 0, QByteArray(83, 3))
        << 0;
    QTest::newRow("drawbar, version 1 on PRV-1200")
        << drawbar() << "PRV-1200" << FileImages::common("DB7F", "PRV-3200", 1, QByteArray(84, 3))
        << 3;

    QTest::newRow("registration, PRV-1100 on LM-4100")
        << registration() << "LM-4100" << registrationOf("PRV-1100", 0) << 0;
    QTest::newRow("registration, LM-4100 on PRV-1100")
        << registration() << "PRV-1100" << registrationOf("LM-4100 ", 0) << 0;
    QTest::newRow("registration, PRV-1200 on LM-4200")
        << registration() << "LM-4200" << registrationOf("PRV-1200", 0) << 0;
    QTest::newRow("registration, QS-2 on QS-1")
        << registration() << "QS-1" << registrationOf("QS-2    ", 0) << 0;
    QTest::newRow("registration, PRV-1100 on QS-1")
        << registration() << "QS-1" << registrationOf("PRV-1100", 0) << 4;
    QTest::newRow("registration, PRV-1100 on PRV-3100")
        << registration() << "PRV-3100" << registrationOf("PRV-1100", 0) << 4;
    QTest::newRow("registration, unknown model")
        << registration() << "PRV-1100" << registrationOf("PRV-9999", 0) << 4;
    QTest::newRow("registration, version 1 on PRV-3100")
        << registration() << "PRV-3100" << registrationOf("PRV-3100", 1) << 0;
    QTest::newRow("registration, version 1 on PRV-2100")
        << registration() << "PRV-2100" << registrationOf("PRV-3100", 1) << 3;
    QTest::newRow("registration, version 3 of PRV-2100 on LM-5100")
        << registration() << "LM-5100" << registrationOf("PRV-2100", 3) << 0;

    QTest::newRow("backup, PRV-1100") << all() << "PRV-1100" << backupOf("PRV-1100") << 0;
    QTest::newRow("backup, LM-4100 on PRV-1100") << all() << "PRV-1100" << backupOf("LM-4100") << 0;
    QTest::newRow("backup, PRV-1100 on LM-4100") << all() << "LM-4100" << backupOf("PRV-1100") << 0;
    QTest::newRow("backup, QS-1 on QS-2") << all() << "QS-2" << backupOf("QS-1") << 0;
    QTest::newRow("backup, PRV-1100 on PRV-3100")
        << all() << "PRV-3100" << backupOf("PRV-1100") << 4;
    QTest::newRow("backup, PRV-1100 on QS-1") << all() << "QS-1" << backupOf("PRV-1100") << 4;
    QTest::newRow("backup, PRV-1200 on PRV-1100")
        << all() << "PRV-1100" << backupOf("PRV-1200") << 4;
    QTest::newRow("backup, truncated by one byte")
        << all() << "PRV-1100" << backupOf("PRV-1100").chopped(1) << 3;
    QTest::newRow("backup, payload one byte short of the table")
        << all() << "PRV-1100" << backupOf("PRV-1100", 0, -1) << 3;
    // The model check comes before the validity check.
    QTest::newRow("backup, broken identifier, other model")
        << all() << "QS-1" << backupOf("PRV-1100").replace(0, 4, "XXXX") << 4;
    QTest::newRow("backup, PRV-3100") << all() << "PRV-3100" << backupOf("PRV-3100", 1) << 0;
    QTest::newRow("backup, PRV-3100 version 0 on PRV-3100")
        << all() << "PRV-3100" << backupOf("PRV-3100", 0) << 3;

    QTest::newRow("unknown target model")
        << dsp() << "PRV-9999" << FileImages::common("DS7F", "PRV-1100", 0, "dsp") << 4;
    QTest::newRow("unknown target model, rhythm")
        << rhythm() << "" << FileImages::nativeRhythm(116) << 4;
    QTest::newRow("unknown target model, unreadable data")
        << dsp() << "PRV-9999" << QByteArray("DS7F") << 3;
    QTest::newRow("target model with blanks")
        << registration() << "  PRV-1100  " << registrationOf("PRV-1100", 0) << 0;
}

} // namespace

class tst_CategoryFiles : public QObject {
    Q_OBJECT

private slots:
    void createFileMakesTheCategorysClass_data();
    void createFileMakesTheCategorysClass();
    void createFileOfNoCategoryIsNull();
    void openDataChecks_data();
    void openDataChecks();
    void openFileChecks_data();
    void openFileChecks();
    void openFileOfAMissingFileFails_data();
    void openFileOfAMissingFileFails();
    void openedDrawbarIsConverted();
    void openedSongIsRelabelled();
};

void tst_CategoryFiles::createFileMakesTheCategorysClass_data() {
    QTest::addColumn<data::DataCategory*>("category");
    QTest::addColumn<QString>("className");
    QTest::addColumn<int>("headerSize");

    QTest::newRow("rhythm") << rhythm() << "RhythmDataFile" << -1;
    QTest::newRow("song") << song() << "SequencerDataFile" << 276;
    QTest::newRow("scale") << scale() << "ScaleDataFile" << 276;
    QTest::newRow("registration") << registration() << "RegistrationDataFile" << 276;
    QTest::newRow("preset") << preset() << "MusicPresetDataFile" << -1;
    QTest::newRow("tone") << tone() << "ToneDataFile" << 276;
    QTest::newRow("DSP") << dsp() << "DspDataFile" << 276;
    QTest::newRow("drawbar") << drawbar() << "DrawbarDataFile" << 276;
    QTest::newRow("all") << all() << "AllDataFile" << 276;
}

void tst_CategoryFiles::createFileMakesTheCategorysClass() {
    QFETCH(data::DataCategory*, category);
    QFETCH(QString, className);
    QFETCH(int, headerSize);

    ModelScope scope(data::Zq10Info::instance());
    const QSharedPointer<file::AbstractFile> created = CategoryFiles::createFile(category);
    QVERIFY(created);
    QCOMPARE(created->className(), className);
    QCOMPARE(created->headerSize(), headerSize);
    QVERIFY(created->data().isEmpty());
    if (auto* common = dynamic_cast<file::CommonFormatFile*>(created.data())) {
        QCOMPARE(common->category(), category);
        QCOMPARE(common->modelName(), QStringLiteral("PRV-1100"));
    }
}

void tst_CategoryFiles::createFileOfNoCategoryIsNull() {
    QVERIFY(!CategoryFiles::createFile(nullptr));
    int result = -1;
    QVERIFY(!CategoryFiles::openData(nullptr, FileImages::nativeRhythm(116), "QS-1", &result));
    QCOMPARE(result, 3);
}

void tst_CategoryFiles::openDataChecks_data() {
    addOpenCases();
}

void tst_CategoryFiles::openDataChecks() {
    QFETCH(data::DataCategory*, category);
    QFETCH(QString, model);
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);

    // As in the program, the target keyboard is the connected one.
    data::KeyboardInfo* target = data::KeyboardInfo::find(std::as_const(model));
    ModelScope scope(target ? target : data::KeyboardInfo::currentModel());
    int result = -1;
    const QSharedPointer<file::AbstractFile> opened =
        CategoryFiles::openData(category, bytes, model, &result);
    QCOMPARE(result, expected);
    QCOMPARE(bool(opened), expected == 0);
}

void tst_CategoryFiles::openFileChecks_data() {
    addOpenCases();
}

void tst_CategoryFiles::openFileChecks() {
    QFETCH(data::DataCategory*, category);
    QFETCH(QString, model);
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("item") + category->extension());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    data::KeyboardInfo* target = data::KeyboardInfo::find(std::as_const(model));
    ModelScope scope(target ? target : data::KeyboardInfo::currentModel());
    int result = -1;
    const QSharedPointer<file::AbstractFile> opened =
        CategoryFiles::openFile(category, path, model, &result);
    QCOMPARE(result, expected);
    QCOMPARE(bool(opened), expected == 0);
}

void tst_CategoryFiles::openFileOfAMissingFileFails_data() {
    QTest::addColumn<data::DataCategory*>("category");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("name");

    for (data::DataCategory* category : data::DataCategory::all()) {
        const QByteArray key = category->keyWord().toLatin1();
        QTest::addRow("%s", key.constData())
            << category << "PRV-1200" << QStringLiteral("missing") + category->extension();
    }
    QTest::newRow("unknown model too") << dsp() << "PRV-9999"
                                       << "missing.DS7";
    QTest::newRow("a folder") << dsp() << "PRV-1200"
                              << "";
}

void tst_CategoryFiles::openFileOfAMissingFileFails() {
    QFETCH(data::DataCategory*, category);
    QFETCH(QString, model);
    QFETCH(QString, name);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    int result = -1;
    const QSharedPointer<file::AbstractFile> opened =
        CategoryFiles::openFile(category, folder.filePath(name), model, &result);
    QCOMPARE(result, 1);
    QVERIFY(!opened);
}

void tst_CategoryFiles::openedDrawbarIsConverted() {
    QByteArray payload(84, '\x01');
    payload[72] = 2;
    payload[80] = 3;
    payload[83] = 1;
    ModelScope scope(data::KeyboardInfo::find(QStringLiteral("PRV-2200")));
    int result = -1;
    const QSharedPointer<file::AbstractFile> opened = CategoryFiles::openData(
        drawbar(), FileImages::common("DB7F", "PRV-1200", 0, payload), "PRV-2200", &result);
    QCOMPARE(result, 0);
    QVERIFY(opened);
    auto* converted = dynamic_cast<file::DrawbarDataFile*>(opened.data());
    QVERIFY(converted);
    QCOMPARE(converted->formatVersion(), 1);

    QByteArray expected(84, '\x01');
    expected[26] = 0;
    expected[27] = 0;
    expected[72] = 4;
    expected[80] = 8;
    expected[83] = 2;
    QCOMPARE(converted->data(), expected);
}

void tst_CategoryFiles::openedSongIsRelabelled() {
    const QByteArray payload = FileImages::pattern(817);
    ModelScope scope(data::KeyboardInfo::find(QStringLiteral("PRV-3100")));
    int result = -1;
    const QSharedPointer<file::AbstractFile> opened = CategoryFiles::openData(
        song(), FileImages::common("TAV1", "PRV-1100", 0, payload), "PRV-3100", &result);
    QCOMPARE(result, 0);
    auto* relabelled = dynamic_cast<file::CommonFormatFile*>(opened.data());
    QVERIFY(relabelled);
    QCOMPARE(relabelled->formatVersion(), 1);
    QCOMPARE(relabelled->data(), payload);
}

QTEST_GUILESS_MAIN(tst_CategoryFiles)
#include "tst_CategoryFiles.moc"
