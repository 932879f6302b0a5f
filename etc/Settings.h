#pragma once

#include <QMutex>
#include <QObject>
#include <QSize>
#include <QString>

class QSettings;

namespace zel::qmix::etc {

// The few values that survive between runs, kept in a user-scope INI file.
// One instance per process; it reads the file once when first used. Setters
// report whether the value changed, and save() writes only after a change, so
// setting a value to what is already stored leaves the file untouched.
class Settings : public QObject {
    Q_OBJECT

public:
    static Settings* instance();

    // For tests and tools that must not touch the user's own settings: a store
    // kept in the given INI file, with the documents folder given explicitly.
    Settings(const QString& iniFile, const QString& documentsFolder, QObject* parent = nullptr);
    ~Settings() override;

    QString mainDataDirectory() const;
    QString waveDataDirectory() const;
    QString lastConnectedModel() const;
    QString sdCardDirectory() const;
    int windowWidth() const;
    int windowHeight() const;
    QString defaultMainDataDirectory() const;
    QString defaultWaveDataDirectory() const;

    bool setMainDataDirectory(const QString& path);
    bool setWaveDataDirectory(const QString& path);
    bool setLastConnectedModel(const QString& model);
    bool setSdCardDirectory(const QString& path);
    bool setWindowWidth(int width);
    bool setWindowHeight(int height);

    // True while a value differs from what the store holds.
    bool hasUnsavedChanges() const;
    // The file behind the store, for diagnostics.
    QString storeFileName() const;

    // Creates the folder with all missing parents. Returns whether the folder
    // exists afterwards; callers may ignore it and keep using the path.
    static bool ensureDirectory(const QString& path);

    // The personal documents folder, or "My Documents" in the home folder when
    // the platform cannot tell (the arguments make the choice testable).
    static QString documentsFolder(const QString& standardLocation, const QString& homeFolder);
    static QString organisationName();

    static constexpr int DefaultWindowWidth = 800;
    static constexpr int DefaultWindowHeight = 600;

public slots:
    void load();
    // Writes all values and flushes the file at once when something changed.
    // Returns false when the file could not be written.
    bool save();

signals:
    void loadedMainDataDirectory(QString path);
    void loadedWaveDataDirectory(QString path);
    void loadedLastConnectedModel(QString model);
    void loadedSdCardDirectory(QString path);
    void loadedWindowSize(QSize size);

private:
    Settings();
    void computeDefaults(const QString& documents);
    template <typename T> bool assign(T& field, const T& value);

    mutable QMutex fieldMutex;
    QSettings* store = nullptr;
    QString mainData;
    QString waveData;
    QString defaultMainData;
    QString defaultWaveData;
    QString lastModel;
    QString sdCard;
    int width = -1;
    int height = -1;
    bool changed = false;
};

} // namespace zel::qmix::etc
