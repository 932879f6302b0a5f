#include "file/ScaleDataFile.h"

#include "data/ScaleDataCategory.h"

namespace zel::qmix::file {

ScaleDataFile::ScaleDataFile() {
    initialize();
}

QString ScaleDataFile::expectedIdentifier() const {
    return QStringLiteral("CSD1");
}

data::DataCategory* ScaleDataFile::category() const {
    return data::ScaleDataCategory::instance();
}

QString ScaleDataFile::className() const {
    return QStringLiteral("ScaleDataFile");
}

} // namespace zel::qmix::file
