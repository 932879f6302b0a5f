#pragma once

#include "audio/ConversionError.h"
#include "audio/FileBackedStore.h"

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <limits>
#include <type_traits>

namespace zel::qmix::audio {

// An array whose elements live in a file and are reached through a window of
// 1024 elements, so that memory does not grow with the length of the audio.
// Windows are aligned to multiples of 1024 elements, so that the loops that
// walk an array in order (or read a few neighbours at a time) miss once per
// window. A window goes back to the file only when something in it was
// written, and never beyond the file's end: the file grows only by resize().
// The store in between moves the windows to the disk in larger blocks.
template <typename T> class FileBackedArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements are stored as raw bytes");

public:
    static constexpr qint64 kWindowSize = 1024;

    // Over a temporary file of its own.
    FileBackedArray() = default;
    // Over the caller's open device; failures throw `failureCode`.
    explicit FileBackedArray(QIODevice* device, int failureCode = ConversionError::WriteFailed)
        : store_(device, failureCode) {}

    ~FileBackedArray() {
        // A temporary file is about to disappear anyway; the caller's file
        // gets its last window, as far as the disk still takes it (a caller
        // that needs to know calls flush() itself).
        if (store_.isTemporary())
            return;
        try {
            flush();
        } catch (const ConversionError&) {
        }
    }

    FileBackedArray(const FileBackedArray&) = delete;
    FileBackedArray& operator=(const FileBackedArray&) = delete;

    void resize(qint64 count) {
        writeBack();
        store_.resize(count * qint64(sizeof(T)));
        invalidate();
    }
    qint64 size() const { return store_.size() / qint64(sizeof(T)); }

    T value(qint64 index) { return *slot(index); }
    void set(qint64 index, T value) {
        *slot(index) = value;
        dirty_ = true;
    }
    // A reference that may be written.
    T& at(qint64 index) {
        T* element = slot(index);
        dirty_ = true;
        return *element;
    }

    // Puts everything written so far into the file.
    void flush() {
        writeBack();
        store_.flush();
    }
    // Sets every element of an array over a temporary file to zero, without
    // the cost of writing what it held to the disk.
    void discard() {
        dirty_ = false;
        start_ = kNoWindow;
        store_.discard();
    }
    // Forgets the window, after the file was written directly through store().
    void invalidate() {
        Q_ASSERT(!dirty_);
        start_ = kNoWindow;
    }

    FileBackedStore& store() { return store_; }

private:
    static constexpr qint64 kWindowBytes = kWindowSize * qint64(sizeof(T));
    // Far enough below every index that no index falls into this "window".
    static constexpr qint64 kNoWindow = std::numeric_limits<qint64>::min() / 2;

    T* slot(qint64 index) {
        const quint64 offset = quint64(index - start_);
        if (Q_LIKELY(offset < quint64(kWindowSize)))
            return &window_[offset];
        return load(index);
    }

    // Hands a changed window back to the store.
    void writeBack() {
        if (!dirty_)
            return;
        dirty_ = false;
        const qint64 offset = start_ * qint64(sizeof(T));
        const qint64 bytes = std::min<qint64>(kWindowBytes, store_.size() - offset);
        if (bytes > 0)
            store_.write(offset, reinterpret_cast<const char*>(window_.data()), bytes);
    }

    T* load(qint64 index) {
        Q_ASSERT(index >= 0);
        writeBack();
        // Should the read fail, no half-read window may pass for a loaded one.
        start_ = kNoWindow;
        const qint64 start = index - index % kWindowSize;
        char* bytes = reinterpret_cast<char*>(window_.data());
        const qint64 read = store_.read(start * qint64(sizeof(T)), bytes, kWindowBytes);
        // Past the file's end the window reads as zeros.
        std::fill(bytes + read, bytes + kWindowBytes, '\0');
        start_ = start;
        return &window_[index - start];
    }

    FileBackedStore store_;
    std::array<T, kWindowSize> window_{};
    qint64 start_ = kNoWindow;
    bool dirty_ = false;
};

} // namespace zel::qmix::audio
