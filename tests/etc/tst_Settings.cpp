#include "etc/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

using zel::qmix::etc::Settings;

namespace {

const QString Organisation = QStringLiteral("TAVRO/ODX/ToneHarbour6");

QString readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

// Sets the field behind an INI key through the matching setter.
bool setByKey(Settings& settings, const QString& key, const QVariant& value) {
    if (key == QLatin1String("MainDataDirectory")) {
        return settings.setMainDataDirectory(value.toString());
    }
    if (key == QLatin1String("WaveDataDirectory")) {
        return settings.setWaveDataDirectory(value.toString());
    }
    if (key == QLatin1String("LastConnectedModel")) {
        return settings.setLastConnectedModel(value.toString());
    }
    if (key == QLatin1String("SdCardDirectory")) {
        return settings.setSdCardDirectory(value.toString());
    }
    if (key == QLatin1String("WindowWidth")) {
        return settings.setWindowWidth(value.toInt());
    }
    if (key == QLatin1String("WindowHeight")) {
        return settings.setWindowHeight(value.toInt());
    }
    qFatal("unknown key");
}

QVariant getByKey(const Settings& settings, const QString& key) {
    if (key == QLatin1String("MainDataDirectory")) {
        return settings.mainDataDirectory();
    }
    if (key == QLatin1String("WaveDataDirectory")) {
        return settings.waveDataDirectory();
    }
    if (key == QLatin1String("LastConnectedModel")) {
        return settings.lastConnectedModel();
    }
    if (key == QLatin1String("SdCardDirectory")) {
        return settings.sdCardDirectory();
    }
    if (key == QLatin1String("WindowWidth")) {
        return settings.windowWidth();
    }
    if (key == QLatin1String("WindowHeight")) {
        return settings.windowHeight();
    }
    qFatal("unknown key");
}

} // namespace

class tst_Settings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstRunDefaults();
    void loadEmitsInOrder();
    void roundTrip_data();
    void roundTrip();
    void sameValueWritesNothing_data();
    void sameValueWritesNothing();
    void unsavedChangeIsKeptAfterFailedWrite();
    void unusableStoredValuesGiveDefaults_data();
    void unusableStoredValuesGiveDefaults();
    void ensureDirectory_data();
    void ensureDirectory();
    void documentsFolderFallback_data();
    void documentsFolderFallback();
    void instanceFromConcurrentThreads();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString iniFile() const { return dir->filePath(QStringLiteral("settings.ini")); }
    QString documents() const { return dir->filePath(QStringLiteral("Documents")); }
};

void tst_Settings::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
}

void tst_Settings::init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void tst_Settings::cleanup() {
    dir.reset();
}

void tst_Settings::firstRunDefaults() {
    Settings settings(iniFile(), documents());

    const QString base = documents() + QLatin1Char('/') + Organisation;
    QCOMPARE(settings.mainDataDirectory(), base + QStringLiteral("/UserData"));
    QCOMPARE(settings.waveDataDirectory(), base + QStringLiteral("/WaveData"));
    QCOMPARE(settings.defaultMainDataDirectory(), base + QStringLiteral("/UserData"));
    QCOMPARE(settings.defaultWaveDataDirectory(), base + QStringLiteral("/WaveData"));
    QCOMPARE(settings.lastConnectedModel(), QString());
    QCOMPARE(settings.sdCardDirectory(), QString());
    QCOMPARE(settings.windowWidth(), 800);
    QCOMPARE(settings.windowHeight(), 600);
    QVERIFY(!settings.hasUnsavedChanges());
    // Reading alone creates no file.
    QVERIFY(settings.save());
    QVERIFY(!QFile::exists(iniFile()));
}

void tst_Settings::loadEmitsInOrder() {
    {
        QSettings store(iniFile(), QSettings::IniFormat);
        store.setValue(QStringLiteral("MainDataDirectory"), QStringLiteral("/data/main"));
        store.setValue(QStringLiteral("WaveDataDirectory"), QStringLiteral("/data/wave"));
        store.setValue(QStringLiteral("LastConnectedModel"), QStringLiteral("PRV-1100"));
        store.setValue(QStringLiteral("SdCardDirectory"), QStringLiteral("/media/card"));
        store.setValue(QStringLiteral("WindowWidth"), 1024);
        store.setValue(QStringLiteral("WindowHeight"), 700);
    }
    Settings settings(iniFile(), documents());
    QStringList emitted;
    connect(&settings, &Settings::loadedMainDataDirectory, this,
            [&](const QString& v) { emitted << QStringLiteral("main=") + v; });
    connect(&settings, &Settings::loadedWaveDataDirectory, this,
            [&](const QString& v) { emitted << QStringLiteral("wave=") + v; });
    connect(&settings, &Settings::loadedLastConnectedModel, this,
            [&](const QString& v) { emitted << QStringLiteral("model=") + v; });
    connect(&settings, &Settings::loadedSdCardDirectory, this,
            [&](const QString& v) { emitted << QStringLiteral("card=") + v; });
    connect(&settings, &Settings::loadedWindowSize, this, [&](const QSize& size) {
        emitted << QStringLiteral("size=%1x%2").arg(size.width()).arg(size.height());
    });

    settings.load();

    const QStringList expected = {
        QStringLiteral("main=/data/main"), QStringLiteral("wave=/data/wave"),
        QStringLiteral("model=PRV-1100"),  QStringLiteral("card=/media/card"),
        QStringLiteral("size=1024x700"),
    };
    QCOMPARE(emitted, expected);
}

void tst_Settings::roundTrip_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("main folder") << "MainDataDirectory" << QVariant(QStringLiteral("/u/Data Ä"));
    QTest::newRow("wave folder") << "WaveDataDirectory" << QVariant(QStringLiteral("/u/Wave"));
    QTest::newRow("model") << "LastConnectedModel" << QVariant(QStringLiteral("QS-1    "));
    QTest::newRow("card") << "SdCardDirectory" << QVariant(QStringLiteral("/media/SD"));
    QTest::newRow("width") << "WindowWidth" << QVariant(1280);
    QTest::newRow("height") << "WindowHeight" << QVariant(960);
}

void tst_Settings::roundTrip() {
    QFETCH(QString, key);
    QFETCH(QVariant, value);

    {
        Settings settings(iniFile(), documents());
        QVERIFY(setByKey(settings, key, value));
        QVERIFY(settings.hasUnsavedChanges());
        QVERIFY(settings.save());
        QVERIFY(!settings.hasUnsavedChanges());
    }
    // The key sits at the top level of the file, and every key is written.
    QSettings raw(iniFile(), QSettings::IniFormat);
    QCOMPARE(raw.childGroups(), QStringList());
    QCOMPARE(raw.childKeys().size(), 6);
    QCOMPARE(raw.value(key).toString(), value.toString());

    Settings reread(iniFile(), documents());
    QCOMPARE(getByKey(reread, key), value);
}

void tst_Settings::sameValueWritesNothing_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("main folder") << "MainDataDirectory" << QVariant(QStringLiteral("/u/Data"));
    QTest::newRow("model") << "LastConnectedModel" << QVariant(QStringLiteral("PRV-3200"));
    QTest::newRow("width") << "WindowWidth" << QVariant(1000);
}

void tst_Settings::sameValueWritesNothing() {
    QFETCH(QString, key);
    QFETCH(QVariant, value);

    Settings settings(iniFile(), documents());
    QVERIFY(setByKey(settings, key, value));
    QVERIFY(settings.save());

    // A mark left by someone else survives only if the next save writes nothing.
    {
        QSettings raw(iniFile(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("WindowHeight"), 123);
    }
    const QString before = readFile(iniFile());
    QVERIFY(before.contains(QStringLiteral("WindowHeight=123")));

    QVERIFY(!setByKey(settings, key, value));
    QVERIFY(!settings.hasUnsavedChanges());
    QVERIFY(settings.save());
    QCOMPARE(readFile(iniFile()), before);

    // A real change does write all values again.
    QVERIFY(settings.setSdCardDirectory(QStringLiteral("/media/other")));
    QVERIFY(settings.save());
    QVERIFY(!readFile(iniFile()).contains(QStringLiteral("WindowHeight=123")));
}

void tst_Settings::unsavedChangeIsKeptAfterFailedWrite() {
    // A folder where the file should be: it can be neither read nor written.
    QVERIFY(QDir().mkpath(iniFile()));
    Settings settings(iniFile(), documents());
    QCOMPARE(settings.windowWidth(), 800);
    QVERIFY(settings.mainDataDirectory().endsWith(QStringLiteral("/UserData")));

    QVERIFY(settings.setLastConnectedModel(QStringLiteral("PRV-1200")));
    QVERIFY(!settings.save());
    QVERIFY(settings.hasUnsavedChanges());
}

void tst_Settings::unusableStoredValuesGiveDefaults_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("width text") << "WindowWidth"
                                << "wide" << QVariant(800);
    QTest::newRow("width zero") << "WindowWidth"
                                << "0" << QVariant(800);
    QTest::newRow("height negative") << "WindowHeight"
                                     << "-5" << QVariant(600);
    QTest::newRow("height valid") << "WindowHeight"
                                  << "480" << QVariant(480);
    QTest::newRow("empty main folder") << "MainDataDirectory"
                                       << "" << QVariant();
    QTest::newRow("empty model stays empty") << "LastConnectedModel"
                                             << "" << QVariant(QString());
}

void tst_Settings::unusableStoredValuesGiveDefaults() {
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QVariant, expected);

    {
        QFile file(iniFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("%1=%2\n").arg(key, stored).toUtf8());
    }
    Settings settings(iniFile(), documents());
    if (!expected.isValid()) {
        expected = settings.defaultMainDataDirectory();
    }
    QCOMPARE(getByKey(settings, key), expected);
}

void tst_Settings::ensureDirectory_data() {
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<bool>("prepareAsFile");
    QTest::addColumn<bool>("exists");

    QTest::newRow("missing parents") << "a/b/c" << false << true;
    QTest::newRow("already there") << "." << false << true;
    QTest::newRow("blocked by a file") << "blocker/sub" << true << false;
}

void tst_Settings::ensureDirectory() {
    QFETCH(QString, relativePath);
    QFETCH(bool, prepareAsFile);
    QFETCH(bool, exists);

    if (prepareAsFile) {
        QFile blocker(dir->filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    const QString path = dir->filePath(relativePath);
    QCOMPARE(Settings::ensureDirectory(path), exists);
    QCOMPARE(QFileInfo(path).isDir(), exists);
}

void tst_Settings::documentsFolderFallback_data() {
    QTest::addColumn<QString>("standard");
    QTest::addColumn<QString>("expected");

    QTest::newRow("platform folder") << "/home/u/Documents"
                                     << "/home/u/Documents";
    QTest::newRow("unknown") << ""
                             << "/home/u/My Documents";
}

void tst_Settings::documentsFolderFallback() {
    QFETCH(QString, standard);
    QFETCH(QString, expected);

    QCOMPARE(Settings::documentsFolder(standard, QStringLiteral("/home/u")), expected);
}

void tst_Settings::instanceFromConcurrentThreads() {
    Settings* seen[2] = {nullptr, nullptr};
    std::unique_ptr<QThread> first(QThread::create([&] { seen[0] = Settings::instance(); }));
    std::unique_ptr<QThread> second(QThread::create([&] { seen[1] = Settings::instance(); }));
    first->start();
    second->start();
    QVERIFY(first->wait(30000));
    QVERIFY(second->wait(30000));

    QVERIFY(seen[0] != nullptr);
    QCOMPARE(seen[0], seen[1]);
    QCOMPARE(Settings::instance(), seen[0]);
    QCOMPARE(seen[0]->thread(), QCoreApplication::instance()->thread());
    QVERIFY(seen[0]->storeFileName().endsWith(Organisation + QStringLiteral("/settings.ini")));
    // Test mode keeps the user's real settings out of reach.
    QVERIFY(seen[0]->storeFileName().contains(QStringLiteral("qttest")));
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_Settings.moc"
