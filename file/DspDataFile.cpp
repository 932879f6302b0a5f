#include "file/DspDataFile.h"

#include "data/DspDataCategory.h"

namespace zel::qmix::file {

DspDataFile::DspDataFile() {
    initialize();
}

QString DspDataFile::expectedIdentifier() const {
    return QStringLiteral("DS7F");
}

data::DataCategory* DspDataFile::category() const {
    return data::DspDataCategory::instance();
}

QString DspDataFile::className() const {
    return QStringLiteral("DspDataFile");
}

} // namespace zel::qmix::file
