#include "etc/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

namespace zel::qmix::etc {

namespace {

const char* const MainDataDirectoryKey = "MainDataDirectory";
const char* const WaveDataDirectoryKey = "WaveDataDirectory";
const char* const LastConnectedModelKey = "LastConnectedModel";
const char* const SdCardDirectoryKey = "SdCardDirectory";
const char* const WindowWidthKey = "WindowWidth";
const char* const WindowHeightKey = "WindowHeight";

Settings* theInstance = nullptr;

// An empty folder cannot hold the user's files; treat it like a missing key.
QString readDirectory(const QSettings& store, const char* key, const QString& fallback) {
    const QString path = store.value(QLatin1String(key), fallback).toString();
    return path.isEmpty() ? fallback : path;
}

// A size the window cannot have (text, zero or negative) is treated as missing.
int readWindowExtent(const QSettings& store, const char* key, int fallback) {
    bool ok = false;
    const int value = store.value(QLatin1String(key), fallback).toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

} // namespace

Settings* Settings::instance() {
    static QMutex creationMutex;
    QMutexLocker lock(&creationMutex);
    if (theInstance == nullptr) {
        theInstance = new Settings();
        // The first call may come from any thread, but queued slot calls must
        // reach the instance in the GUI thread, which outlives every other.
        QCoreApplication* app = QCoreApplication::instance();
        if (app != nullptr && app->thread() != QThread::currentThread()) {
            theInstance->moveToThread(app->thread());
        }
    }
    return theInstance;
}

Settings::Settings()
    : store(new QSettings(QSettings::IniFormat, QSettings::UserScope, organisationName(),
                          QStringLiteral("settings"), this)) {
    computeDefaults(documentsFolder(
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), QDir::homePath()));
    load();
}

Settings::Settings(const QString& iniFile, const QString& documents, QObject* parent)
    : QObject(parent)
    , store(new QSettings(iniFile, QSettings::IniFormat, this)) {
    computeDefaults(documents);
    load();
}

Settings::~Settings() = default;

QString Settings::organisationName() {
    return QStringLiteral("TAVRO/ODX/") + tr("ToneHarbour6");
}

QString Settings::documentsFolder(const QString& standardLocation, const QString& homeFolder) {
    if (!standardLocation.isEmpty()) {
        return standardLocation;
    }
    return QDir(homeFolder).filePath(QStringLiteral("My Documents"));
}

void Settings::computeDefaults(const QString& documents) {
    const QString base = QDir(documents).absolutePath() + QLatin1Char('/') + organisationName();
    defaultMainData = base + QStringLiteral("/UserData");
    defaultWaveData = base + QStringLiteral("/WaveData");
    width = DefaultWindowWidth;
    height = DefaultWindowHeight;
}

void Settings::load() {
    QString main, wave, model, card;
    int loadedWidth = 0;
    int loadedHeight = 0;
    {
        QMutexLocker lock(&fieldMutex);
        store->sync();
        mainData = readDirectory(*store, MainDataDirectoryKey, defaultMainData);
        waveData = readDirectory(*store, WaveDataDirectoryKey, defaultWaveData);
        lastModel = store->value(QLatin1String(LastConnectedModelKey), QString()).toString();
        sdCard = store->value(QLatin1String(SdCardDirectoryKey), QString()).toString();
        width = readWindowExtent(*store, WindowWidthKey, DefaultWindowWidth);
        height = readWindowExtent(*store, WindowHeightKey, DefaultWindowHeight);
        changed = false;
        main = mainData;
        wave = waveData;
        model = lastModel;
        card = sdCard;
        loadedWidth = width;
        loadedHeight = height;
    }
    emit loadedMainDataDirectory(main);
    emit loadedWaveDataDirectory(wave);
    emit loadedLastConnectedModel(model);
    emit loadedSdCardDirectory(card);
    emit loadedWindowSize(QSize(loadedWidth, loadedHeight));
}

bool Settings::save() {
    QMutexLocker lock(&fieldMutex);
    if (!changed) {
        return true;
    }
    store->setValue(QLatin1String(MainDataDirectoryKey), mainData);
    store->setValue(QLatin1String(WaveDataDirectoryKey), waveData);
    store->setValue(QLatin1String(LastConnectedModelKey), lastModel);
    store->setValue(QLatin1String(SdCardDirectoryKey), sdCard);
    store->setValue(QLatin1String(WindowWidthKey), width);
    store->setValue(QLatin1String(WindowHeightKey), height);
    store->sync();
    // Keep the change pending when the file could not be written, so that a
    // later save tries again instead of silently dropping it.
    changed = store->status() != QSettings::NoError;
    return !changed;
}

bool Settings::ensureDirectory(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    QDir dir(path);
    return dir.exists() || dir.mkpath(QStringLiteral("."));
}

template <typename T> bool Settings::assign(T& field, const T& value) {
    QMutexLocker lock(&fieldMutex);
    if (field == value) {
        return false;
    }
    field = value;
    changed = true;
    return true;
}

QString Settings::mainDataDirectory() const {
    QMutexLocker lock(&fieldMutex);
    return mainData;
}

QString Settings::waveDataDirectory() const {
    QMutexLocker lock(&fieldMutex);
    return waveData;
}

QString Settings::lastConnectedModel() const {
    QMutexLocker lock(&fieldMutex);
    return lastModel;
}

QString Settings::sdCardDirectory() const {
    QMutexLocker lock(&fieldMutex);
    return sdCard;
}

int Settings::windowWidth() const {
    QMutexLocker lock(&fieldMutex);
    return width;
}

int Settings::windowHeight() const {
    QMutexLocker lock(&fieldMutex);
    return height;
}

QString Settings::defaultMainDataDirectory() const {
    QMutexLocker lock(&fieldMutex);
    return defaultMainData;
}

QString Settings::defaultWaveDataDirectory() const {
    QMutexLocker lock(&fieldMutex);
    return defaultWaveData;
}

bool Settings::setMainDataDirectory(const QString& path) {
    return assign(mainData, path);
}

bool Settings::setWaveDataDirectory(const QString& path) {
    return assign(waveData, path);
}

bool Settings::setLastConnectedModel(const QString& model) {
    return assign(lastModel, model);
}

bool Settings::setSdCardDirectory(const QString& path) {
    return assign(sdCard, path);
}

bool Settings::setWindowWidth(int newWidth) {
    return assign(width, newWidth);
}

bool Settings::setWindowHeight(int newHeight) {
    return assign(height, newHeight);
}

bool Settings::hasUnsavedChanges() const {
    QMutexLocker lock(&fieldMutex);
    return changed;
}

QString Settings::storeFileName() const {
    QMutexLocker lock(&fieldMutex);
    return store->fileName();
}

} // namespace zel::qmix::etc
