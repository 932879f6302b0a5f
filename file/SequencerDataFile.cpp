#include "file/SequencerDataFile.h"

#include "data/SequencerDataCategory.h"

namespace zel::qmix::file {

SequencerDataFile::SequencerDataFile() {
    initialize();
}

QString SequencerDataFile::expectedIdentifier() const {
    return QStringLiteral("TAV1");
}

data::DataCategory* SequencerDataFile::category() const {
    return data::SequencerDataCategory::instance();
}

QString SequencerDataFile::className() const {
    return QStringLiteral("SequencerDataFile");
}

int SequencerDataFile::convert(uint targetVersion) {
    if (formatVersion() == 0 && targetVersion == 1)
        setFormatVersion(1);
    return FileOk;
}

} // namespace zel::qmix::file
