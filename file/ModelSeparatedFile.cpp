#include "file/ModelSeparatedFile.h"

namespace zel::qmix::file {

QString ModelSeparatedFile::className() const {
    return QStringLiteral("ModelSeparatedFile");
}

} // namespace zel::qmix::file
