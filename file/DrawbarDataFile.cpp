#include "file/DrawbarDataFile.h"

#include "data/DrawbarDataCategory.h"

namespace zel::qmix::file {

namespace {
constexpr int kVersion0PayloadSize = 84;
constexpr int kFirstFootage = 72;
constexpr int kLastFootage = 80;
constexpr int kFlagsOffset = 83;
constexpr int kClearedFirst = 26;
constexpr int kClearedSecond = 27;
} // namespace

DrawbarDataFile::DrawbarDataFile() {
    initialize();
}

QString DrawbarDataFile::expectedIdentifier() const {
    return QStringLiteral("DB7F");
}

data::DataCategory* DrawbarDataFile::category() const {
    return data::DrawbarDataCategory::instance();
}

QString DrawbarDataFile::className() const {
    return QStringLiteral("DrawbarDataFile");
}

int DrawbarDataFile::convert(uint targetVersion) {
    if (formatVersion() != 0 || targetVersion != 1)
        return FileOk;
    QByteArray payload = data();
    if (!convertPayloadToVersion1(payload))
        return FileFormatError;
    setData(payload);
    setFormatVersion(1);
    return FileOk;
}

bool DrawbarDataFile::convertPayloadToVersion1(QByteArray& payload) {
    if (payload.size() != kVersion0PayloadSize)
        return false;
    // These nine settings are kept as 0..3 in version 0 and on the scale
    // 0, 1, 4, 8 in version 1; out-of-range values fall back to 0.
    static const char kFootageValues[] = {0, 1, 4, 8};
    for (int offset = kFirstFootage; offset <= kLastFootage; ++offset) {
        const quint8 step = static_cast<quint8>(payload.at(offset));
        payload[offset] = step < sizeof kFootageValues ? kFootageValues[step] : 0;
    }
    payload[kFlagsOffset] = static_cast<char>((payload.at(kFlagsOffset) & 1) * 2);
    payload[kClearedFirst] = 0;
    payload[kClearedSecond] = 0;
    return true;
}

} // namespace zel::qmix::file
