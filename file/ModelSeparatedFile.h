#pragma once

#include "file/CommonFormatFile.h"

namespace zel::qmix::file {

// Data that describe a whole keyboard's memory layout and therefore open only
// for their own model (or its interchangeable sister) unless a format version
// says otherwise.
class ModelSeparatedFile : public CommonFormatFile {
public:
    QString className() const override;

protected:
    ModelSeparatedFile() = default;
};

} // namespace zel::qmix::file
