#pragma once

#include "file/CommonFormatFile.h"

namespace zel::qmix::file {

// A scale memory (.CSD).
class ScaleDataFile : public CommonFormatFile {
public:
    ScaleDataFile();

    QString expectedIdentifier() const override;
    data::DataCategory* category() const override;
    QString className() const override;
};

} // namespace zel::qmix::file
