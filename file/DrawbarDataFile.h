#pragma once

#include "file/CommonFormatFile.h"

namespace zel::qmix::file {

// Drawbar-organ settings (.DB7).
class DrawbarDataFile : public CommonFormatFile {
public:
    DrawbarDataFile();

    QString expectedIdentifier() const override;
    data::DataCategory* category() const override;
    QString className() const override;
    // Version 0 settings are rewritten for models that store version 1.
    int convert(uint targetVersion) override;

    // The version 1 form of a version 0 payload; false if `payload` cannot
    // be one.
    static bool convertPayloadToVersion1(QByteArray& payload);
};

} // namespace zel::qmix::file
