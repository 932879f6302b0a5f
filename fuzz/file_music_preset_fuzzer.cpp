// Music preset files read from arbitrary bytes.
#include "file/MusicPresetDataFile.h"

#include <cstddef>
#include <cstdint>

using zel::qmix::file::MusicPresetDataFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), qsizetype(size));
    MusicPresetDataFile preset;
    const int result = preset.fromByteArray(image);
    if (result != (image.isEmpty() ? 3 : 0))
        __builtin_trap();
    const bool valid = preset.isValid();
    if (valid && (image.size() <= 10 || !image.startsWith("CMPS")))
        __builtin_trap();
    QByteArray written;
    if (preset.toByteArray(written) != result || written != image)
        __builtin_trap();
    return 0;
}
