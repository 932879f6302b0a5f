#pragma once

#include "file/CommonFormatFile.h"

namespace zel::qmix::file {

// DSP settings (.DS7).
class DspDataFile : public CommonFormatFile {
public:
    DspDataFile();

    QString expectedIdentifier() const override;
    data::DataCategory* category() const override;
    QString className() const override;
};

} // namespace zel::qmix::file
