#pragma once

#include "file/ModelSeparatedFile.h"

namespace zel::qmix::file {

// The registration memory (.RM7); tied to its model like a backup.
class RegistrationDataFile : public ModelSeparatedFile {
public:
    RegistrationDataFile();

    QString expectedIdentifier() const override;
    data::DataCategory* category() const override;
    QString className() const override;
};

} // namespace zel::qmix::file
