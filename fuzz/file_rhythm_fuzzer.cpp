// Rhythm files in all their forms, read from arbitrary bytes.
#include "file/RhythmDataFile.h"

#include <cstddef>
#include <cstdint>

using zel::qmix::file::RhythmDataFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray image(reinterpret_cast<const char*>(data), qsizetype(size));
    const RhythmDataFile::Form form = RhythmDataFile::rhythmForm(image);

    RhythmDataFile rhythm;
    const int result = rhythm.fromByteArray(image);
    if (result != (form == RhythmDataFile::InvalidForm ? 3 : 0))
        __builtin_trap();
    // Only the unpacked rhythm is kept, and only a native or raw one is valid.
    const RhythmDataFile::Form held = rhythm.form();
    if ((form == RhythmDataFile::NativeForm || form == RhythmDataFile::RawForm) && held != form)
        __builtin_trap();
    if (form == RhythmDataFile::InvalidForm && !rhythm.data().isEmpty())
        __builtin_trap();
    const bool valid = rhythm.isValid();
    if (valid != (held == RhythmDataFile::NativeForm || held == RhythmDataFile::RawForm))
        __builtin_trap();

    QByteArray written;
    const int serialised = rhythm.toByteArray(written);
    if (serialised != 0 && serialised != 3)
        __builtin_trap();
    // Native rhythms are written as read; raw ones get the wrapper in front.
    if (form == RhythmDataFile::NativeForm && (serialised != 0 || written != image))
        __builtin_trap();
    if (form == RhythmDataFile::RawForm &&
        (serialised != 0 || written.size() != RhythmDataFile::kWrapperSize + image.size() ||
         written.mid(RhythmDataFile::kWrapperSize) != image))
        __builtin_trap();
    if (serialised == 0) {
        RhythmDataFile reread;
        if (reread.fromByteArray(written) != 0 || reread.data() != rhythm.data())
            __builtin_trap();
    }
    return 0;
}
