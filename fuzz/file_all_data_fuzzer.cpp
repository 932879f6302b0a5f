// Backup files read from arbitrary bytes. The first byte picks the current
// model, whose block table a valid backup must carry.
#include "data/KeyboardInfo.h"
#include "file/AllDataFile.h"

#include <cstddef>
#include <cstdint>

using namespace zel::qmix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QList<data::KeyboardInfo*> models = data::KeyboardInfo::list();
    data::KeyboardInfo::setCurrentModel(models.at(data[0] % models.size()));

    const QByteArray image(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    file::AllDataFile backup;
    const int result = backup.fromByteArray(image);
    if (result != 0 && result != 3)
        __builtin_trap();
    const bool valid = backup.isValid();
    if (valid) {
        // A valid backup holds exactly the blocks its table lists.
        qint64 total = 0;
        for (int block : backup.table())
            total += block;
        if (total != backup.data().size() || backup.table() != file::AllDataFile::expectedTable())
            __builtin_trap();
    }
    for (const data::KeyboardInfo* model : models)
        backup.isCompatibleModel(model->modelName());
    backup.convert(data[0]);

    QByteArray written;
    if (backup.toByteArray(written) != 0)
        __builtin_trap();
    if (result == 0 && written != image)
        __builtin_trap();
    return 0;
}
