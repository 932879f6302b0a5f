#include "file/AbstractFile.h"

#include "file/FreeSpace.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

namespace zel::qmix::file {

AbstractFile::~AbstractFile() = default;

int AbstractFile::headerSize() const {
    return -1;
}

int AbstractFile::convert(uint targetVersion) {
    Q_UNUSED(targetVersion);
    return FileOk;
}

QString AbstractFile::className() const {
    return QStringLiteral("AbstractFile");
}

int AbstractFile::load(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return FileCannotRead;
    QFile file(info.absoluteFilePath());
    return load(&file);
}

int AbstractFile::load(QIODevice* device) {
    if (!device)
        return FileCannotRead;
    // A device the caller opened stays open for the caller.
    const bool openedHere = !device->isOpen();
    if (openedHere && !device->open(QIODevice::ReadOnly))
        return FileCannotRead;
    if (!device->isReadable())
        return FileCannotRead;
    const QByteArray bytes = device->readAll();
    if (openedHere)
        device->close();
    return fromByteArray(bytes);
}

int AbstractFile::save(const QString& path) const {
    QByteArray out;
    // A file that cannot be serialised must not replace what is on disk.
    const int converted = toByteArray(out);
    if (converted != FileOk)
        return converted;

    const QFileInfo info(path);
    if (!FreeSpace::isEnough(info.absolutePath(), out.size()))
        return FileCannotWrite;

    // The bytes go to a temporary file beside the target, which is renamed
    // over it only once everything is on disk: a full disk or a crash half
    // way leaves the user's previous file as it was.
    QSaveFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly))
        return FileCannotWrite;
    // QSaveFile buffers small writes and does not notice when the final
    // flush in commit() writes only part of them (a full disk), so flush here.
    if (file.write(out) != out.size() || !file.flush()) {
        file.cancelWriting();
        return FileCannotWrite;
    }
    if (!file.commit())
        return FileCannotWrite;
    return FileOk;
}

int AbstractFile::save(QIODevice* device) const {
    QByteArray out;
    const int converted = toByteArray(out);
    if (converted != FileOk)
        return converted;
    if (!device)
        return FileCannotWrite;
    const bool openedHere = !device->isOpen();
    if (openedHere && !device->open(QIODevice::WriteOnly))
        return FileCannotWrite;
    if (!device->isWritable())
        return FileCannotWrite;
    bool written = device->write(out) == out.size();
    // Buffered file devices report a failed write only when they flush.
    if (auto* fileDevice = qobject_cast<QFileDevice*>(device))
        written = fileDevice->flush() && written;
    if (openedHere)
        device->close();
    return written ? FileOk : FileCannotWrite;
}

} // namespace zel::qmix::file
