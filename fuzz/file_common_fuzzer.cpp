// Common-format data files (tone, DSP, scale, drawbar, song, registration,
// backup) read from arbitrary bytes. The first byte picks the file class and
// the current keyboard model; the rest is the file image.
#include "data/KeyboardInfo.h"
#include "file/AllDataFile.h"
#include "file/DrawbarDataFile.h"
#include "file/DspDataFile.h"
#include "file/RegistrationDataFile.h"
#include "file/ScaleDataFile.h"
#include "file/SequencerDataFile.h"
#include "file/ToneDataFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

using namespace zel::qmix;

namespace {

constexpr int kClassCount = 7;

std::unique_ptr<file::CommonFormatFile> makeFile(int index) {
    switch (index) {
    case 0:
        return std::make_unique<file::DspDataFile>();
    case 1:
        return std::make_unique<file::ToneDataFile>();
    case 2:
        return std::make_unique<file::ScaleDataFile>();
    case 3:
        return std::make_unique<file::DrawbarDataFile>();
    case 4:
        return std::make_unique<file::SequencerDataFile>();
    case 5:
        return std::make_unique<file::RegistrationDataFile>();
    default:
        return std::make_unique<file::AllDataFile>();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    data::KeyboardInfo::setCurrentModel(models.at((data[0] / kClassCount) % models.size()));
    std::unique_ptr<file::CommonFormatFile> file = makeFile(data[0] % kClassCount);

    const QByteArray image(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const int result = file->fromByteArray(image);
    if (result != 0 && result != 3)
        __builtin_trap();
    file->isValid();
    file->isCompatibleModel(data::KeyboardInfo::currentModel()->modelName());

    QByteArray written;
    if (file->toByteArray(written) != 0)
        __builtin_trap();
    // Every field is kept byte for byte, so an accepted image is written back unchanged.
    if (result == 0 && written != image)
        __builtin_trap();
    if (written.size() != file->headerSize() + file->data().size())
        __builtin_trap();

    const int converted = file->convert(1);
    if (converted != 0 && converted != 3)
        __builtin_trap();
    return 0;
}
