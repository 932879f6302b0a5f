// The category check that every received or packaged item passes before it is
// sent to a keyboard. The first byte picks the category, the second the
// target model (which also becomes the current one); the rest is the data.
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "file/CategoryFiles.h"

#include <cstddef>
#include <cstdint>

using namespace zel::qmix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const QList<data::DataCategory*> categories = data::DataCategory::all();
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    const data::DataCategory* category = categories.at(data[0] % categories.size());
    data::KeyboardInfo* model = models.at(data[1] % models.size());
    data::KeyboardInfo::setCurrentModel(model);

    const QByteArray bytes(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    int result = -1;
    const QSharedPointer<file::AbstractFile> opened =
        file::CategoryFiles::openData(category, bytes, model->modelName(), &result);
    if (result < 0 || result > 5 || result == 1 || result == 2 || bool(opened) != (result == 0))
        __builtin_trap();
    if (opened) {
        if (!opened->isValid())
            __builtin_trap();
        const int maxSize = model->maxDataSize(category);
        if (maxSize > 0 && opened->data().size() > maxSize)
            __builtin_trap();
        QByteArray written;
        opened->toByteArray(written);
    }
    return 0;
}
