// The package index ("package.dat") read from arbitrary bytes. An accepted
// index must write back to a text that reads as the same package.
#include "file/PackageFile.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

using namespace zel::qmix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    file::PackageFile package;
    if (!package.fromIndexText(text)) {
        if (package != file::PackageFile())
            __builtin_trap();
        return 0;
    }
    const QByteArray written = package.indexText();
    if (written.size() > file::PackageFile::kMaxIndexSize)
        return 0;
    file::PackageFile again;
    if (!again.fromIndexText(written) || again != package)
        __builtin_trap();
    return 0;
}
