#include "file/RegistrationDataFile.h"

#include "data/RegistrationDataCategory.h"

namespace zel::qmix::file {

RegistrationDataFile::RegistrationDataFile() {
    initialize();
}

QString RegistrationDataFile::expectedIdentifier() const {
    return QStringLiteral("RM7F");
}

data::DataCategory* RegistrationDataFile::category() const {
    return data::RegistrationDataCategory::instance();
}

QString RegistrationDataFile::className() const {
    return QStringLiteral("RegistrationDataFile");
}

} // namespace zel::qmix::file
