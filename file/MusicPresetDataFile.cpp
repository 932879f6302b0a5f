#include "file/MusicPresetDataFile.h"

namespace zel::qmix::file {

namespace {

const QByteArray kTag = QByteArrayLiteral("CMPS");
// Shorter payloads cannot be a preset.
constexpr int kMinimumSize = 11;

} // namespace

MusicPresetDataFile::MusicPresetDataFile() {
    initialize();
}

void MusicPresetDataFile::initialize() {}

QString MusicPresetDataFile::className() const {
    return QStringLiteral("MusicPresetDataFile");
}

int MusicPresetDataFile::fromByteArray(const QByteArray& bytes) {
    setData(bytes);
    return bytes.isEmpty() ? FileFormatError : FileOk;
}

int MusicPresetDataFile::toByteArray(QByteArray& out) const {
    out = data();
    return out.isEmpty() ? FileFormatError : FileOk;
}

bool MusicPresetDataFile::isValid() const {
    const QByteArray payload = data();
    return payload.startsWith(kTag) && payload.size() >= kMinimumSize;
}

} // namespace zel::qmix::file
