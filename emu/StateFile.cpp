#include "emu/StateFile.h"

#include "data/KeyboardInfo.h"
#include "emu/MemoryImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zel::qmix::emu {

StateFile::StateFile(const QString& directory, const data::KeyboardInfo* model)
    : path_(QDir(directory).filePath(fileName(model)))
    , model_(model) {}

QString StateFile::fileName(const data::KeyboardInfo* model) {
    return model->modelName().trimmed() + QStringLiteral(".state");
}

bool StateFile::exists() const {
    return QFile::exists(path_);
}

bool StateFile::load(KeyboardMemory& memory, QString* error) const {
    if (!exists()) {
        memory = KeyboardMemory::factoryDefault(model_);
        return true;
    }
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path_, file.errorString());
        return false;
    }
    QString problem;
    if (!MemoryImage::decode(file.readAll(), model_, memory, &problem)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path_, problem);
        return false;
    }
    return true;
}

bool StateFile::save(const KeyboardMemory& memory, QString* error) const {
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("%1: cannot create the folder").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path_);
    const QByteArray image = MemoryImage::encode(memory);
    // A full disk can cut the last buffered write short without commit() noticing.
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.flush() ||
        !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path_, file.errorString());
        return false;
    }
    return true;
}

} // namespace zel::qmix::emu
