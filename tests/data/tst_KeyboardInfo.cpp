#include "data/AllDataCategory.h"
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
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq20BInfo.h"
#include "data/Zq21BInfo.h"
#include "data/Zq21CInfo.h"

#include <QtTest>

#include <numeric>

using namespace zel::qmix::data;

Q_DECLARE_METATYPE(KeyboardInfo*)
Q_DECLARE_METATYPE(DataCategory*)

namespace {

// Area counts in a fixed order: tone, drawbar, DSP, rhythm, scale, song, preset,
// registration, all.
QList<int> areaCounts(const KeyboardInfo* model) {
    return {model->areaCount(ToneDataCategory::instance()),
            model->areaCount(DrawbarDataCategory::instance()),
            model->areaCount(DspDataCategory::instance()),
            model->areaCount(RhythmDataCategory::instance()),
            model->areaCount(ScaleDataCategory::instance()),
            model->areaCount(SequencerDataCategory::instance()),
            model->areaCount(MusicPresetDataCategory::instance()),
            model->areaCount(RegistrationDataCategory::instance()),
            model->areaCount(AllDataCategory::instance())};
}

// Format versions of song, all, registration and drawbar files.
QList<int> formatVersions(const KeyboardInfo* model) {
    return {model->formatVersion(SequencerDataCategory::instance()),
            model->formatVersion(AllDataCategory::instance()),
            model->formatVersion(RegistrationDataCategory::instance()),
            model->formatVersion(DrawbarDataCategory::instance())};
}

int sum(const QList<int>& values) {
    return std::accumulate(values.begin(), values.end(), 0);
}

} // namespace

class tst_KeyboardInfo : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { KeyboardInfo::setCurrentModel(Zq21BInfo::instance()); }

    void models_data();
    void models();
    void listOrder();
    void find_data();
    void find();
    void findTrimsCallersString();
    void currentModelDefaultsToPrv3200();
    void descriptors();
    void maxDataSize_data();
    void maxDataSize();
    void deleteTime();
    void memoryGauge_data();
    void memoryGauge();
    void progressSteps_data();
    void progressSteps();
    void lcdNames();
    void lcdPictures();
    void emptyData_data();
    void emptyData();
};

void tst_KeyboardInfo::models_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("areas");
    QTest::addColumn<QList<int>>("versions");
    QTest::addColumn<int>("songMemory");
    QTest::addColumn<int>("presetMemory");
    QTest::addColumn<QList<int>>("deleteTimes");
    QTest::addColumn<bool>("toneType1");
    QTest::addColumn<bool>("presetCommand");
    QTest::addColumn<bool>("secondGeneration");
    QTest::addColumn<bool>("skipsFollowUp");
    QTest::addColumn<int>("blockCount");
    QTest::addColumn<int>("backupSize");
    QTest::addColumn<int>("maxSong");
    QTest::addColumn<int>("songCapacity");
    QTest::addColumn<int>("presetCapacity");
    QTest::addColumn<QString>("largePicture");

    const QList<int> small{10, 0, 100, 10, 0, 5, 50, 1, 1};
    const QList<int> drawbar{100, 50, 100, 100, 0, 5, 100, 1, 1};
    const QList<int> scale{100, 0, 100, 100, 1, 5, 100, 1, 1};
    const QString standard = ":/images/kbdbig.png";
    const QString high = ":/images/kbdbig074high.png";

    QTest::newRow("PRV-1100") << "PRV-1100" << small << QList<int>{0, 0, 0, 0} << 65532 << 65532
                              << QList<int>{800, 800, 800} << false << true << false << true << 10
                              << 483288 << 62240 << 65508 << 65285 << standard;
    QTest::newRow("PRV-1200") << "PRV-1200" << drawbar << QList<int>{0, 0, 0, 0} << 167932 << 131068
                              << QList<int>{2500, 1600, 800} << true << false << false << true << 55
                              << 3714852 << 164640 << 167908 << 130621 << standard;
    QTest::newRow("QS-1") << "QS-1    " << scale << QList<int>{0, 0, 0, 0} << 167932 << 131068
                          << QList<int>{2500, 1600, 800} << true << false << false << true << 56
                          << 3723040 << 164640 << 167908 << 130621 << standard;
    QTest::newRow("LM-4100") << "LM-4100 " << small << QList<int>{0, 0, 0, 0} << 65532 << 65532
                             << QList<int>{800, 800, 800} << false << true << false << true << 10
                             << 483288 << 62240 << 65508 << 65285 << standard;
    QTest::newRow("LM-4200") << "LM-4200 " << drawbar << QList<int>{0, 0, 0, 0} << 167932 << 131068
                             << QList<int>{2500, 1600, 800} << true << false << false << true << 55
                             << 3714852 << 164640 << 167908 << 130621 << standard;
    QTest::newRow("QS-2") << "QS-2    " << scale << QList<int>{0, 0, 0, 0} << 167932 << 131068
                          << QList<int>{2500, 1600, 800} << true << false << false << true << 56
                          << 3723040 << 164640 << 167908 << 130621 << standard;
    QTest::newRow("PRV-3100") << "PRV-3100" << small << QList<int>{1, 1, 1, 0} << 65532 << 65532
                              << QList<int>{1000, 1000, 1000} << false << false << true << false
                              << 6 << 655336 << 62240 << 65508 << 65285 << high;
    QTest::newRow("PRV-2100") << "PRV-2100" << small << QList<int>{1, 3, 3, 0} << 65532 << 65532
                              << QList<int>{1000, 1000, 1000} << false << false << true << true << 6
                              << 655336 << 62240 << 65508 << 65285 << high;
    QTest::newRow("PRV-3200") << "PRV-3200" << drawbar << QList<int>{1, 2, 2, 1} << 167932 << 131068
                              << QList<int>{2000, 1000, 1000} << true << false << true << true << 28
                              << 3706768 << 164640 << 167908 << 130621 << high;
    QTest::newRow("PRV-2200") << "PRV-2200" << drawbar << QList<int>{1, 4, 4, 1} << 167932 << 131068
                              << QList<int>{2000, 1000, 1000} << true << false << true << true << 28
                              << 3706768 << 164640 << 167908 << 130621 << high;
    QTest::newRow("LM-5100") << "LM-5100 " << small << QList<int>{1, 3, 3, 0} << 65532 << 65532
                             << QList<int>{1000, 1000, 1000} << false << false << true << true << 6
                             << 655336 << 62240 << 65508 << 65285 << high;
    QTest::newRow("LM-5200") << "LM-5200 " << drawbar << QList<int>{1, 4, 4, 1} << 167932 << 131068
                             << QList<int>{2000, 1000, 1000} << true << false << true << true << 28
                             << 3706768 << 164640 << 167908 << 130621 << high;
}

void tst_KeyboardInfo::models() {
    QFETCH(QString, name);
    KeyboardInfo* model = KeyboardInfo::find(name);
    QVERIFY(model);
    QTEST(model->modelName(), "name");
    QCOMPARE(model->modelName().size(), 8);
    QTEST(areaCounts(model), "areas");
    QTEST(formatVersions(model), "versions");
    QTEST(model->songMemorySize(), "songMemory");
    QTEST(model->musicPresetMemorySize(), "presetMemory");
    QTEST((QList<int>{model->songDeleteTime(), model->musicPresetDeleteTime(),
                      model->rhythmDeleteTime()}),
          "deleteTimes");
    QTEST(model->acceptsToneType1(), "toneType1");
    QTEST(model->usesMusicPresetSendCommand(), "presetCommand");
    QTEST(model->isSecondGeneration(), "secondGeneration");
    QTEST(model->skipsSongFollowUp(), "skipsFollowUp");
    QVERIFY(model->clearsWithEmptyData());
    QTEST(int(model->allDataBlockSizes().size()), "blockCount");
    QTEST(sum(model->allDataBlockSizes()), "backupSize");
    QTEST(model->maxSongSize(), "maxSong");
    QTEST(model->songMemoryCapacity(), "songCapacity");
    QTEST(model->musicPresetMemoryCapacity(), "presetCapacity");
    QTEST(model->largePicture(), "largePicture");
    QCOMPARE(model->smallPicture(), model->isSecondGeneration()
                                        ? QStringLiteral(":/images/keyboard074high.png")
                                        : QStringLiteral(":/images/keyboard.png"));
}

void tst_KeyboardInfo::listOrder() {
    QStringList names;
    for (const KeyboardInfo* model : KeyboardInfo::list())
        names.append(model->modelName());
    QCOMPARE(names,
             (QStringList{"PRV-1100", "PRV-1200", "QS-1    ", "LM-4100 ", "LM-4200 ", "QS-2    ",
                          "PRV-3100", "PRV-2100", "PRV-3200", "PRV-2200", "LM-5100 ", "LM-5200 "}));
}

void tst_KeyboardInfo::find_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<KeyboardInfo*>("expected");
    QTest::newRow("blanks around")
        << "  PRV-1100 \t" << static_cast<KeyboardInfo*>(Zq10Info::instance());
    QTest::newRow("lower case") << "prv-1100" << static_cast<KeyboardInfo*>(nullptr);
    QTest::newRow("without padding") << "QS-1" << static_cast<KeyboardInfo*>(Zq12Info::instance());
    QTest::newRow("with padding") << "QS-1    " << static_cast<KeyboardInfo*>(Zq12Info::instance());
    QTest::newRow("prefix only") << "PRV" << static_cast<KeyboardInfo*>(nullptr);
    QTest::newRow("empty") << "" << static_cast<KeyboardInfo*>(nullptr);
}

void tst_KeyboardInfo::find() {
    QFETCH(QString, name);
    QTEST(KeyboardInfo::find(name), "expected");
}

void tst_KeyboardInfo::findTrimsCallersString() {
    QString name = QStringLiteral(" QS-1    ");
    QCOMPARE(KeyboardInfo::find(name), Zq12Info::instance());
    QCOMPARE(name, QStringLiteral("QS-1"));
}

void tst_KeyboardInfo::currentModelDefaultsToPrv3200() {
    QCOMPARE(KeyboardInfo::currentModel()->modelName(), QStringLiteral("PRV-3200"));
    KeyboardInfo::setCurrentModel(nullptr);
    QVERIFY(KeyboardInfo::currentModel() != nullptr);
    KeyboardInfo::setCurrentModel(Zq10Info::instance());
    QCOMPARE(KeyboardInfo::currentModel(), Zq10Info::instance());
}

void tst_KeyboardInfo::descriptors() {
    const KeyboardInfo* model = Zq11Info::instance();
    const QList<QPair<QString, int>> expected{
        {"TONE", 100},    {"DRAWBAR", 100 / 2}, {"DSP", 100},        {"RHYTHM", 100},
        {"SEQUENCER", 5}, {"MUSICPRESET", 100}, {"REGISTRATION", 1}, {"ALL", 1}};
    QCOMPARE(model->keyWordAreaCounts(), expected);
    QCOMPARE(model->areaOffset(DrawbarDataCategory::instance()), 100);
    QCOMPARE(model->lastArea(DrawbarDataCategory::instance()), 149);
    QCOMPARE(model->firstNumber(DrawbarDataCategory::instance()), 51);
    QCOMPARE(model->firstNumber(DspDataCategory::instance()), 101);
    QCOMPARE(model->firstNumber(RhythmDataCategory::instance()), 1);
    // A category the model lacks gives the all-zero record.
    const CategoryDescriptor absent = model->descriptor(ScaleDataCategory::instance());
    QCOMPARE(absent.category, nullptr);
    QCOMPARE(absent.areaCount, 0);
    QCOMPARE(model->descriptor(nullptr).areaCount, 0);
}

void tst_KeyboardInfo::maxDataSize_data() {
    QTest::addColumn<KeyboardInfo*>("model");
    QTest::addColumn<DataCategory*>("category");
    QTest::addColumn<int>("expected");
    for (KeyboardInfo* model : KeyboardInfo::list()) {
        const QByteArray name = model->modelName().trimmed().toLatin1();
        auto row = [&](const char* what, DataCategory* category, int expected) {
            QTest::addRow("%s %s", name.constData(), what) << model << category << expected;
        };
        row("rhythm", RhythmDataCategory::instance(), 32764);
        row("preset", MusicPresetDataCategory::instance(), 8200);
        row("song", SequencerDataCategory::instance(), model->songMemorySize() - 3292);
        row("tone", ToneDataCategory::instance(), -1);
        row("dsp", DspDataCategory::instance(), -1);
        row("scale", ScaleDataCategory::instance(), -1);
        row("registration", RegistrationDataCategory::instance(), -1);
        row("drawbar", DrawbarDataCategory::instance(), -1);
        row("all", AllDataCategory::instance(), -1);
    }
}

void tst_KeyboardInfo::maxDataSize() {
    QFETCH(KeyboardInfo*, model);
    QFETCH(DataCategory*, category);
    QTEST(model->maxDataSize(category), "expected");
}

void tst_KeyboardInfo::deleteTime() {
    const KeyboardInfo* model = Zq11Info::instance();
    QCOMPARE(model->deleteTime(33), 2500);
    QCOMPARE(model->deleteTime(37), 1600);
    QCOMPARE(model->deleteTime(36), 800);
    QCOMPARE(model->deleteTime(3), 0);
    QCOMPARE(model->deleteTime(31), 0);
}

void tst_KeyboardInfo::memoryGauge_data() {
    QTest::addColumn<DataCategory*>("category");
    QTest::addColumn<int>("used");
    QTest::addColumn<int>("expected");
    DataCategory* song = SequencerDataCategory::instance();
    DataCategory* preset = MusicPresetDataCategory::instance();
    // PRV-1100: 5 songs of 817 bytes reserved out of 65508; 50 presets of 43 out of 65285.
    QTest::newRow("songs empty") << song << 5 * 817 << 0;
    QTest::newRow("songs one byte used shows 1") << song << 5 * 817 + 1 << 1;
    QTest::newRow("songs just under half truncates") << song << 5 * 817 + 30711 << 49;
    QTest::newRow("songs half") << song << 5 * 817 + 30712 << 50;
    QTest::newRow("songs full") << song << 65508 << 100;
    QTest::newRow("presets empty") << preset << 50 * 43 << 0;
    QTest::newRow("presets full") << preset << 65285 << 100;
    QTest::newRow("rhythm has no gauge")
        << static_cast<DataCategory*>(RhythmDataCategory::instance()) << 1000 << 0;
}

void tst_KeyboardInfo::memoryGauge() {
    QFETCH(DataCategory*, category);
    QFETCH(int, used);
    QTEST(Zq10Info::instance()->memoryGaugePercent(category, used), "expected");
}

void tst_KeyboardInfo::progressSteps_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("PRV-1100") << "PRV-1100" << QList<int>{0, 9, 19, 28, 38, 47, 57, 66, 68, 69, 70};
    QTest::newRow("PRV-3100") << "PRV-3100" << QList<int>{0, 7, 21, 35, 49, 56, 70};
}

void tst_KeyboardInfo::progressSteps() {
    QFETCH(QString, name);
    QTEST(KeyboardInfo::find(name)->allDataProgressSteps(), "expected");
}

void tst_KeyboardInfo::lcdNames() {
    for (const KeyboardInfo* model : KeyboardInfo::list()) {
        const QStringList save = model->allDataLcdNames(true);
        const QStringList load = model->allDataLcdNames(false);
        QCOMPARE(save.size(), model->allDataBlockSizes().size() + 1);
        QCOMPARE(save.first(), QStringLiteral(":/lcd/all_save_0.lcd"));
        QCOMPARE(save.last(), QStringLiteral(":/lcd/all_save_70.lcd"));
        QCOMPARE(load.last(), QStringLiteral(":/lcd/all_load_70.lcd"));
    }
    QCOMPARE(Zq10Info::instance()->allDataLcdNames(false).at(1),
             QStringLiteral(":/lcd/all_load_9.lcd"));
}

void tst_KeyboardInfo::lcdPictures() {
    for (const KeyboardInfo* model : KeyboardInfo::list()) {
        for (bool save : {true, false}) {
            const QList<QByteArray> pictures = model->allDataLcdPictures(save);
            QCOMPARE(pictures.size(), model->allDataBlockSizes().size() + 1);
            for (const QByteArray& picture : pictures)
                QCOMPARE(picture.size(), 280);
        }
    }
}

void tst_KeyboardInfo::emptyData_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("area");
    QTest::addColumn<char>("digit");
    QTest::addColumn<int>("byte30");
    QTest::addColumn<int>("byte357");
    QTest::newRow("PRV-1100 area 0") << "PRV-1100" << 0 << '1' << 0 << -1;
    QTest::newRow("PRV-1200 area 2") << "PRV-1200" << 2 << '3' << 0 << -1;
    QTest::newRow("PRV-3100 area 4") << "PRV-3100" << 4 << '5' << 2 << -1;
    QTest::newRow("PRV-2100") << "PRV-2100" << 1 << '2' << 2 << -1;
    QTest::newRow("LM-5100") << "LM-5100" << 1 << '2' << 2 << -1;
    QTest::newRow("PRV-3200") << "PRV-3200" << 1 << '2' << 2 << -1;
    QTest::newRow("PRV-2200") << "PRV-2200" << 3 << '4' << 2 << 6;
    QTest::newRow("LM-5200") << "LM-5200" << 3 << '4' << 2 << 6;
}

void tst_KeyboardInfo::emptyData() {
    QFETCH(QString, name);
    QFETCH(int, area);
    QFETCH(char, digit);
    QFETCH(int, byte30);
    QFETCH(int, byte357);
    const KeyboardInfo* model = KeyboardInfo::find(name);
    const QByteArray rhythm = model->emptyData(36, area);
    QCOMPARE(rhythm.size(), 116);
    const QByteArray preset = model->emptyData(37, area);
    QCOMPARE(preset.size(), 43);
    QVERIFY(preset.startsWith("CMPS"));
    QVERIFY(model->emptyData(3, area).isEmpty());

    const QByteArray song = model->emptyData(33, area);
    QCOMPARE(song.size(), 817);
    QCOMPARE(song.mid(10, 10), QByteArray("User Song "));
    QCOMPARE(song.at(20), digit);
    QCOMPARE(int(song.at(30)), byte30);
    const QByteArray plain = Zq10Info::instance()->emptyData(33, area);
    QCOMPARE(int(song.at(357)), byte357 >= 0 ? byte357 : int(plain.at(357)));
}

QTEST_GUILESS_MAIN(tst_KeyboardInfo)
#include "tst_KeyboardInfo.moc"
