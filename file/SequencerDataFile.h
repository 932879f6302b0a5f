#pragma once

#include "file/CommonFormatFile.h"

namespace zel::qmix::file {

// A song of the song sequencer (.CMS).
class SequencerDataFile : public CommonFormatFile {
public:
    SequencerDataFile();

    QString expectedIdentifier() const override;
    data::DataCategory* category() const override;
    QString className() const override;
    // Version 1 songs differ from version 0 only in the label.
    int convert(uint targetVersion) override;
};

} // namespace zel::qmix::file
