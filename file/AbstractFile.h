#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace zel::qmix::file {

// Result codes of every file operation.
enum FileResult : int {
    FileOk = 0,
    FileCannotRead = 1,
    FileCannotWrite = 2,
    FileFormatError = 3,
    FileOtherModel = 4,
    FileTooLarge = 5,
};

// One item of keyboard data as it is kept on the PC: the payload that travels
// to and from the keyboard, plus whatever a subclass wraps around it on disk.
// Objects are made through CategoryFiles::createFile() and held by shared
// pointer.
class AbstractFile {
public:
    virtual ~AbstractFile();

    // Empties the object for the current keyboard model.
    virtual void initialize() = 0;
    // Parses a complete file image; never reads past `bytes`.
    virtual int fromByteArray(const QByteArray& bytes) = 0;
    // Produces the complete file image.
    virtual int toByteArray(QByteArray& out) const = 0;
    virtual bool isValid() const = 0;
    // Bytes in front of the payload, -1 for files without a header.
    virtual int headerSize() const;
    // Brings the payload to `targetVersion`; files without versions keep it.
    virtual int convert(uint targetVersion);
    // The class name, for diagnostic output.
    virtual QString className() const;

    int load(const QString& path);
    int load(QIODevice* device);
    // Replaces `path` atomically: the old file stays untouched unless the new
    // one was written completely.
    int save(const QString& path) const;
    int save(QIODevice* device) const;

    void setData(const QByteArray& data) { data_ = data; }
    QByteArray data() const { return data_; }

protected:
    AbstractFile() = default;
    AbstractFile(const AbstractFile&) = default;
    AbstractFile& operator=(const AbstractFile&) = default;

private:
    QByteArray data_;
};

} // namespace zel::qmix::file
