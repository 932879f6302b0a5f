// The SD card's control file, as the keyboard or anybody else may have
// written it: only "read" or "format error" comes back, whatever is read is
// written back the same, and unique names are unique.
#include "file/CardAudioControlFile.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

using zel::qmix::file::CardAudioControlFile;
using zel::qmix::file::CardAudioEntry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), qsizetype(size));
    CardAudioControlFile file;
    const int result = file.fromByteArray(image);
    if (result != 0 && result != 3)
        __builtin_trap();
    if (image.size() % CardAudioControlFile::kRecordSize != 0 && result != 3)
        __builtin_trap();
    // Every entry that was read is valid, even when a later one was not.
    if (!file.isValid())
        __builtin_trap();

    QByteArray written;
    if (file.toByteArray(written) != 0 ||
        written.size() != (file.count() + 1) * CardAudioControlFile::kRecordSize)
        __builtin_trap();
    // Read back, the file holds the same entries, data names padded to
    // their 12 characters as written.
    CardAudioControlFile reread;
    if (reread.fromByteArray(written) != 0 || reread.count() != file.count() ||
        reread.trailerState() != file.trailerState() ||
        reread.trailerCounter() != file.trailerCounter())
        __builtin_trap();
    for (int i = 0; i < file.count(); ++i) {
        CardAudioEntry expected = file.entries().at(i);
        expected.dataName = expected.dataName.leftJustified(12, QLatin1Char(' '));
        if (reread.entries().at(i) != expected)
            __builtin_trap();
    }

    // Names taken from the input itself.
    for (int i = 0; i < file.count() && i < 4; ++i) {
        const QString name = file.entries().at(i).dataName;
        if (!file.nameExists(name))
            __builtin_trap();
        const QString unique = file.uniqueDataName(name);
        if (file.nameExists(unique) || unique.size() > 12)
            __builtin_trap();
    }
    return 0;
}
