#include "audio/FileBackedStore.h"

#include "audio/ConversionError.h"

#include <QDir>
#include <QFileDevice>
#include <QTemporaryFile>

#include <algorithm>
#include <cstring>

namespace zel::qmix::audio {

const char* const FileBackedStore::kTemporaryPrefix = "toneharbour-audio.";

namespace {

std::unique_ptr<QTemporaryFile> makeTemporary() {
    return std::make_unique<QTemporaryFile>(QDir::tempPath() + QLatin1Char('/') +
                                            QLatin1String(FileBackedStore::kTemporaryPrefix) +
                                            QLatin1String("XXXXXX"));
}

} // namespace

FileBackedStore::FileBackedStore()
    : temporary_(makeTemporary())
    , device_(temporary_.get())
    , failureCode_(ConversionError::WriteFailed) {}

FileBackedStore::FileBackedStore(QIODevice* device, int failureCode)
    : device_(device)
    , failureCode_(failureCode)
    , size_(device ? device->size() : 0)
    , writtenEnd_(size_) {}

FileBackedStore::~FileBackedStore() {
    if (isTemporary())
        return;
    try {
        flush();
    } catch (const ConversionError&) {
    }
}

QString FileBackedStore::fileName() const {
    if (auto* file = qobject_cast<QFileDevice*>(device_))
        return file->fileName();
    return {};
}

void FileBackedStore::fail() const {
    throw ConversionError{failureCode_};
}

void FileBackedStore::openTemporary() {
    if (temporary_->isOpen())
        return;
    // Unbuffered: the store moves whole blocks, and a write that fails must
    // fail at once, not at some later flush.
    QFile& file = *temporary_;
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        fail();
}

void FileBackedStore::resize(qint64 bytes) {
    flush();
    dropCache();
    if (isTemporary())
        openTemporary();
    auto* file = qobject_cast<QFileDevice*>(device_);
    if (!file || !file->isWritable() || !file->resize(bytes))
        fail();
    size_ = bytes;
    writtenEnd_ = std::min(writtenEnd_, bytes);
}

void FileBackedStore::seek(qint64 offset) {
    if (!device_ || !device_->isOpen() || !device_->seek(offset))
        fail();
}

void FileBackedStore::readFromDevice(qint64 offset, char* data, qint64 count) {
    // What lies beyond the written part is a hole the file system fills
    // with zeros; reading it would only cost time.
    const qint64 stored = std::clamp<qint64>(writtenEnd_ - offset, 0, count);
    if (stored > 0) {
        seek(offset);
        if (device_->read(data, stored) != stored)
            fail();
    }
    std::memset(data + stored, 0, size_t(count - stored));
}

void FileBackedStore::writeToDevice(qint64 offset, const char* data, qint64 count) {
    if (count <= 0)
        return;
    if (isTemporary())
        openTemporary();
    seek(offset);
    if (device_->write(data, count) != count)
        fail();
    size_ = std::max(size_, offset + count);
    writtenEnd_ = std::max(writtenEnd_, offset + count);
}

void FileBackedStore::flush() {
    if (dirtyEnd_ <= dirtyBegin_)
        return;
    const qint64 begin = dirtyBegin_;
    const qint64 end = dirtyEnd_;
    dirtyBegin_ = dirtyEnd_ = 0;
    writeToDevice(blockStart_ + begin, block_.data() + begin, end - begin);
}

void FileBackedStore::discard() {
    Q_ASSERT(isTemporary());
    dirtyBegin_ = dirtyEnd_ = 0;
    dropCache();
    // A removed file's pages are dropped unwritten; truncating it instead
    // would make some file systems write them out first.
    const qint64 size = size_;
    temporary_ = makeTemporary();
    device_ = temporary_.get();
    size_ = 0;
    writtenEnd_ = 0;
    resize(size);
}

void FileBackedStore::dropCache() {
    blockStart_ = -1;
}

void FileBackedStore::cacheBlock(qint64 blockStart, bool willOverwriteAll) {
    if (blockStart_ == blockStart)
        return;
    flush();
    if (block_.empty())
        block_.resize(size_t(kBlockSize));
    blockStart_ = -1;
    if (!willOverwriteAll) {
        const qint64 inFile = std::clamp<qint64>(size_ - blockStart, 0, kBlockSize);
        readFromDevice(blockStart, block_.data(), inFile);
        std::memset(block_.data() + inFile, 0, size_t(kBlockSize - inFile));
    }
    blockStart_ = blockStart;
}

qint64 FileBackedStore::read(qint64 offset, char* data, qint64 count) {
    const qint64 wanted = std::clamp<qint64>(size_ - offset, 0, count);
    qint64 done = 0;
    while (done < wanted) {
        const qint64 position = offset + done;
        const qint64 blockStart = position - position % kBlockSize;
        const qint64 inBlock = position - blockStart;
        const qint64 chunk = std::min(wanted - done, kBlockSize - inBlock);
        if (chunk == kBlockSize && blockStart != blockStart_) {
            readFromDevice(position, data + done, chunk);
        } else {
            cacheBlock(blockStart, false);
            std::memcpy(data + done, block_.data() + inBlock, size_t(chunk));
        }
        done += chunk;
    }
    return wanted;
}

void FileBackedStore::write(qint64 offset, const char* data, qint64 count) {
    qint64 done = 0;
    while (done < count) {
        const qint64 position = offset + done;
        const qint64 blockStart = position - position % kBlockSize;
        const qint64 inBlock = position - blockStart;
        const qint64 chunk = std::min(count - done, kBlockSize - inBlock);
        if (chunk == kBlockSize && blockStart != blockStart_) {
            writeToDevice(position, data + done, chunk);
        } else {
            cacheBlock(blockStart, chunk == kBlockSize);
            std::memcpy(block_.data() + inBlock, data + done, size_t(chunk));
            if (dirtyEnd_ <= dirtyBegin_) {
                dirtyBegin_ = inBlock;
                dirtyEnd_ = inBlock + chunk;
            } else {
                dirtyBegin_ = std::min(dirtyBegin_, inBlock);
                dirtyEnd_ = std::max(dirtyEnd_, inBlock + chunk);
            }
            // The file's size counts what is cached, as if it were written.
            size_ = std::max(size_, position + chunk);
        }
        done += chunk;
    }
}

} // namespace zel::qmix::audio
