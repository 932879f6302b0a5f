#include "file/ToneDataFile.h"

#include "data/KeyboardInfo.h"
#include "data/ToneDataCategory.h"

namespace zel::qmix::file {

namespace {
constexpr int kToneTypeOffset = 4;
}

ToneDataFile::ToneDataFile() {
    initialize();
}

QString ToneDataFile::expectedIdentifier() const {
    return QStringLiteral("TN7F");
}

data::DataCategory* ToneDataFile::category() const {
    return data::ToneDataCategory::instance();
}

QString ToneDataFile::className() const {
    return QStringLiteral("ToneDataFile");
}

int ToneDataFile::toneType(const QByteArray& payload) {
    if (payload.size() <= kToneTypeOffset)
        return 0;
    return (static_cast<quint8>(payload.at(kToneTypeOffset)) >> 2) & 0x0F;
}

bool ToneDataFile::identifierMatches() const {
    if (!CommonFormatFile::identifierMatches())
        return false;
    switch (toneType(data())) {
    case 0:
        return true;
    case 1:
        return data::KeyboardInfo::currentModel()->acceptsToneType1();
    default:
        return false;
    }
}

} // namespace zel::qmix::file
