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
#include "data/Zq11Info.h"
#include "data/Zq12Info.h"
#include "data/Zq21CInfo.h"

#include <QtTest>

using namespace zel::qmix::data;

Q_DECLARE_METATYPE(DataCategory*)
Q_DECLARE_METATYPE(KeyboardInfo*)

class tst_DataCategory : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        KeyboardInfo::setCurrentModel(KeyboardInfo::find(QStringLiteral("PRV-3200")));
    }

    void properties_data();
    void properties();
    void instancesAreShared();
    void categoryFromId_data();
    void categoryFromId();
    void fromFileName_data();
    void fromFileName();
    void fromKeyWord();
    void metaTypesTravelByTheirSignatureNames();
};

void tst_DataCategory::properties_data() {
    QTest::addColumn<DataCategory*>("category");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("keyWord");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<bool>("gauge");
    QTest::addColumn<int>("emptySize");
    QTest::addColumn<bool>("deletable");
    QTest::addColumn<bool>("namedByModelAndDate");
    QTest::addColumn<bool>("variableSize");
    QTest::addColumn<int>("group");

    QTest::newRow("rhythm") << static_cast<DataCategory*>(RhythmDataCategory::instance()) << 36
                            << "RHYTHM"
                            << "Rhythm" << QStringList{".AC7", ".Z00", ".CKF"} << false << -1
                            << true << false << true << 0;
    QTest::newRow("sequencer") << static_cast<DataCategory*>(SequencerDataCategory::instance())
                               << 33 << "SEQUENCER"
                               << "Song Sequencer" << QStringList{".CMS"} << true << 817 << true
                               << false << true << 0;
    QTest::newRow("scale") << static_cast<DataCategory*>(ScaleDataCategory::instance()) << 18
                           << "SCALE"
                           << "Scale Memory" << QStringList{".CSD"} << false << -1 << false << true
                           << false << 0;
    QTest::newRow("registration") << static_cast<DataCategory*>(
                                         RegistrationDataCategory::instance())
                                  << 34 << "REGISTRATION"
                                  << "Registration" << QStringList{".RM7"} << false << -1 << false
                                  << true << false << 1;
    QTest::newRow("music preset") << static_cast<DataCategory*>(MusicPresetDataCategory::instance())
                                  << 37 << "MUSICPRESET"
                                  << "Music Preset" << QStringList{".MPS"} << true << 43 << true
                                  << false << true << 0;
    QTest::newRow("tone") << static_cast<DataCategory*>(ToneDataCategory::instance()) << 3 << "TONE"
                          << "Tone" << QStringList{".TN7"} << false << -1 << false << false << false
                          << 1;
    QTest::newRow("dsp") << static_cast<DataCategory*>(DspDataCategory::instance()) << 19 << "DSP"
                         << "DSP" << QStringList{".DS7"} << false << -1 << false << false << false
                         << 1;
    QTest::newRow("drawbar") << static_cast<DataCategory*>(DrawbarDataCategory::instance()) << 3
                             << "DRAWBAR"
                             << "Drawbar Organ" << QStringList{".DB7"} << false << -1 << false
                             << false << false << 1;
    QTest::newRow("all") << static_cast<DataCategory*>(AllDataCategory::instance()) << 31 << "ALL"
                         << "All" << QStringList{".AL7"} << false << -1 << false << true << false
                         << 0;
}

void tst_DataCategory::properties() {
    QFETCH(DataCategory*, category);
    QFETCH(QStringList, extensions);
    QTEST(category->id(), "id");
    QTEST(category->keyWord(), "keyWord");
    QTEST(category->displayName(), "displayName");
    QCOMPARE(category->extensions(), extensions);
    // Received files are always written under the first, native extension.
    QCOMPARE(category->extension(), extensions.first());
    QTEST(category->hasMemoryGauge(), "gauge");
    QTEST(category->emptyDataSize(), "emptySize");
    QTEST(category->isDeletable(), "deletable");
    QTEST(category->isNamedByModelAndDate(), "namedByModelAndDate");
    QTEST(category->isVariableSize(), "variableSize");
    QTEST(category->sendGroup(), "group");
}

void tst_DataCategory::instancesAreShared() {
    QCOMPARE(RhythmDataCategory::instance(), RhythmDataCategory::instance());
    QCOMPARE(DataCategory::all().size(), 9);
    const QList<DataCategory*> all = DataCategory::all();
    const QSet<DataCategory*> distinct(all.begin(), all.end());
    QCOMPARE(distinct.size(), 9);
}

void tst_DataCategory::categoryFromId_data() {
    QTest::addColumn<KeyboardInfo*>("model");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("area");
    QTest::addColumn<DataCategory*>("expected");

    KeyboardInfo* withDrawbar = Zq11Info::instance();
    KeyboardInfo* withoutDrawbar = Zq10Info::instance();
    auto cat = [](DataCategory* c) { return c; };
    QTest::newRow("scale") << withDrawbar << 18 << 0 << cat(ScaleDataCategory::instance());
    QTest::newRow("dsp") << withDrawbar << 19 << 0 << cat(DspDataCategory::instance());
    QTest::newRow("all") << withDrawbar << 31 << 0 << cat(AllDataCategory::instance());
    QTest::newRow("song") << withDrawbar << 33 << 0 << cat(SequencerDataCategory::instance());
    QTest::newRow("registration") << withDrawbar << 34 << 0
                                  << cat(RegistrationDataCategory::instance());
    QTest::newRow("rhythm") << withDrawbar << 36 << 0 << cat(RhythmDataCategory::instance());
    QTest::newRow("preset") << withDrawbar << 37 << 0 << cat(MusicPresetDataCategory::instance());
    QTest::newRow("tone below drawbar range")
        << withDrawbar << 3 << 99 << cat(ToneDataCategory::instance());
    QTest::newRow("drawbar at offset")
        << withDrawbar << 3 << 100 << cat(DrawbarDataCategory::instance());
    QTest::newRow("drawbar above offset")
        << withDrawbar << 3 << 149 << cat(DrawbarDataCategory::instance());
    QTest::newRow("second generation drawbar") << static_cast<KeyboardInfo*>(Zq21CInfo::instance())
                                               << 3 << 120 << cat(DrawbarDataCategory::instance());
    QTest::newRow("no drawbar areas: tone at any area")
        << withoutDrawbar << 3 << 120 << cat(ToneDataCategory::instance());
    QTest::newRow("scale model: tone at any area")
        << static_cast<KeyboardInfo*>(Zq12Info::instance()) << 3 << 100
        << cat(ToneDataCategory::instance());
    QTest::newRow("unknown 0") << withDrawbar << 0 << 0 << static_cast<DataCategory*>(nullptr);
    QTest::newRow("unknown 20") << withDrawbar << 20 << 0 << static_cast<DataCategory*>(nullptr);
    QTest::newRow("unknown 127") << withDrawbar << 127 << 0 << static_cast<DataCategory*>(nullptr);
}

void tst_DataCategory::categoryFromId() {
    QFETCH(KeyboardInfo*, model);
    QFETCH(int, id);
    QFETCH(int, area);
    KeyboardInfo::setCurrentModel(model);
    QTEST(zel::qmix::data::categoryFromId(id, area), "expected");
}

void tst_DataCategory::fromFileName_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<DataCategory*>("expected");
    auto cat = [](DataCategory* c) { return c; };
    QTest::newRow("native rhythm") << "a/b/My Beat.AC7" << cat(RhythmDataCategory::instance());
    QTest::newRow("older rhythm lower case") << "beat.z00" << cat(RhythmDataCategory::instance());
    QTest::newRow("library rhythm") << "beat.CKF" << cat(RhythmDataCategory::instance());
    QTest::newRow("song") << "song.cms" << cat(SequencerDataCategory::instance());
    QTest::newRow("backup") << "PRV-3200_261207.AL7" << cat(AllDataCategory::instance());
    QTest::newRow("drawbar") << "organ.DB7" << cat(DrawbarDataCategory::instance());
    QTest::newRow("package is no category") << "set.PK7" << static_cast<DataCategory*>(nullptr);
    QTest::newRow("no extension") << "README" << static_cast<DataCategory*>(nullptr);
}

void tst_DataCategory::fromFileName() {
    QFETCH(QString, fileName);
    QTEST(DataCategory::fromFileName(fileName), "expected");
}

void tst_DataCategory::fromKeyWord() {
    for (DataCategory* category : DataCategory::all())
        QCOMPARE(DataCategory::fromKeyWord(category->keyWord()), category);
    QCOMPARE(DataCategory::fromKeyWord(QStringLiteral("rhythm")), nullptr);
}

void tst_DataCategory::metaTypesTravelByTheirSignatureNames() {
    DataCategory::registerMetaTypes();
    const QMetaType pointer = QMetaType::fromName("zel::qmix::data::const_DataCategory*");
    QVERIFY(pointer.isValid());
    QCOMPARE(pointer, QMetaType::fromType<const_DataCategory*>());
    QVERIFY(QMetaType::fromName("zel::qmix::data::DataCategoryList").isValid());
}

QTEST_GUILESS_MAIN(tst_DataCategory)
#include "tst_DataCategory.moc"
