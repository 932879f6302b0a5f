#pragma once

#include <QDir>
#include <QString>

namespace zel::qmix::cli {

// The folder a command writes received items and backups to: the one given
// with -d, else the main data folder of the settings, as the desktop program
// uses.
class DataFolder {
public:
    // `given` empty: the settings' main data folder.
    explicit DataFolder(const QString& given);

    QDir dir() const { return QDir(path_); }
    QString path() const { return path_; }

    // Creates the folder if needed and checks that a file can be created in
    // it, before the keyboard is asked for anything.
    bool prepare() const;

private:
    QString path_;
};

} // namespace zel::qmix::cli
