#pragma once

#include "file/ModelSeparatedFile.h"

namespace zel::qmix::file {

// A complete backup of a keyboard (.AL7): the payload is the concatenation
// of the blocks in which the backup travels, and the table lists their sizes.
class AllDataFile : public ModelSeparatedFile {
public:
    AllDataFile();

    QString expectedIdentifier() const override;
    data::DataCategory* category() const override;
    QString className() const override;
    // The table holds the current model's backup block sizes.
    void initialize() override;
    // Besides the identifier, the block table must be the current model's
    // and must add up to the payload.
    bool identifierMatches() const override;

    // The current model's block sizes as they stand in the table.
    static QList<int> expectedTable();
};

} // namespace zel::qmix::file
