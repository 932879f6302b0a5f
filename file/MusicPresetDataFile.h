#pragma once

#include "file/AbstractFile.h"

namespace zel::qmix::file {

// A music preset (.MPS): the file is the payload itself, which starts with
// "CMPS".
class MusicPresetDataFile : public AbstractFile {
public:
    MusicPresetDataFile();

    void initialize() override;
    int fromByteArray(const QByteArray& bytes) override;
    int toByteArray(QByteArray& out) const override;
    bool isValid() const override;
    QString className() const override;
};

} // namespace zel::qmix::file
