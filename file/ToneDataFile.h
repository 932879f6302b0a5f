#pragma once

#include "file/CommonFormatFile.h"

namespace zel::qmix::file {

// A user tone (.TN7).
class ToneDataFile : public CommonFormatFile {
public:
    ToneDataFile();

    QString expectedIdentifier() const override;
    data::DataCategory* category() const override;
    QString className() const override;
    // Besides the identifier, the tone type must be one the current model plays.
    bool identifierMatches() const override;

    // Bits 2..5 of payload byte 4; 0 for payloads too short to carry it.
    static int toneType(const QByteArray& payload);
};

} // namespace zel::qmix::file
