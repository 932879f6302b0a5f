#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

class QIODevice;
class QTemporaryFile;

namespace zel::qmix::audio {

// The file behind a FileBackedArray: either a temporary file of its own in
// the system's temporary folder, removed with the store, or a file the caller
// opened and keeps. Every failed resize, read or write throws a
// ConversionError, so that no conversion goes on with data that never reached
// the disk or never came back from it.
//
// The arrays move small windows; the store moves them to and from the file
// in large aligned blocks, and never reads what it knows to be zeros (the
// part of a file that was only sized, never written).
class FileBackedStore {
public:
    // Prefix of the temporary files, so that leftovers can be recognised.
    static const char* const kTemporaryPrefix;
    // Unit of transfer to and from the file.
    static constexpr qint64 kBlockSize = 64 * 1024;

    FileBackedStore();
    // `device` is open and stays the caller's; failures throw `failureCode`.
    FileBackedStore(QIODevice* device, int failureCode);
    // A caller's device gets what is still cached, as far as the disk takes
    // it; a caller that needs to know calls flush() first.
    ~FileBackedStore();
    FileBackedStore(const FileBackedStore&) = delete;
    FileBackedStore& operator=(const FileBackedStore&) = delete;

    bool isTemporary() const { return temporary_ != nullptr; }
    QString fileName() const;
    QIODevice* device() const { return device_; }

    qint64 size() const { return size_; }
    // Opens a temporary file on first use, then sets the file's size.
    void resize(qint64 bytes);
    // Reads up to `count` bytes at `offset`; fewer only where the file ends.
    qint64 read(qint64 offset, char* data, qint64 count);
    // Writes all `count` bytes at `offset`; the file grows if need be.
    void write(qint64 offset, const char* data, qint64 count);
    // Puts everything written so far into the file.
    void flush();
    // Turns a temporary file whose contents are no longer needed back into
    // zeros of the same size, so that the system need not write to the disk
    // what nobody will read.
    void discard();

    [[noreturn]] void fail() const;

private:
    void openTemporary();
    void seek(qint64 offset);
    void readFromDevice(qint64 offset, char* data, qint64 count);
    void writeToDevice(qint64 offset, const char* data, qint64 count);
    // Makes the block at `blockStart` the cached one.
    void cacheBlock(qint64 blockStart, bool willOverwriteAll);
    void dropCache();

    std::unique_ptr<QTemporaryFile> temporary_;
    QIODevice* device_ = nullptr;
    int failureCode_;
    qint64 size_ = 0;
    // Bytes from here to the end of the file were never written: zeros.
    qint64 writtenEnd_ = 0;

    std::vector<char> block_;
    qint64 blockStart_ = -1;
    qint64 dirtyBegin_ = 0;
    qint64 dirtyEnd_ = 0;
};

} // namespace zel::qmix::audio
