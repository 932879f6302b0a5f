#include "file/AllDataFile.h"

#include "data/AllDataCategory.h"
#include "data/KeyboardInfo.h"

namespace zel::qmix::file {

AllDataFile::AllDataFile() {
    initialize();
}

QString AllDataFile::expectedIdentifier() const {
    return QStringLiteral("AL7F");
}

data::DataCategory* AllDataFile::category() const {
    return data::AllDataCategory::instance();
}

QString AllDataFile::className() const {
    return QStringLiteral("AllDataFile");
}

void AllDataFile::initialize() {
    ModelSeparatedFile::initialize();
    setTable(data::KeyboardInfo::currentModel()->allDataBlockSizes());
}

QList<int> AllDataFile::expectedTable() {
    QList<int> sizes = data::KeyboardInfo::currentModel()->allDataBlockSizes();
    while (sizes.size() < kTableEntries)
        sizes.append(0);
    return sizes;
}

bool AllDataFile::identifierMatches() const {
    if (!ModelSeparatedFile::identifierMatches())
        return false;
    const QList<int> blocks = table();
    if (blocks != expectedTable())
        return false;
    qint64 total = 0;
    for (int size : blocks)
        total += size;
    return total == data().size();
}

} // namespace zel::qmix::file
