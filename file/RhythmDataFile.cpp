#include "file/RhythmDataFile.h"

#include "data/KeyboardInfo.h"

#include <QtEndian>

namespace zel::qmix::file {

namespace {

const QByteArray kNativeTag = QByteArrayLiteral("AC07");
const QByteArray kWrappedTag = QByteArrayLiteral("ACZF");
const QByteArray kLibraryTag = QByteArrayLiteral("TAVRO Music Lib");

constexpr int kNativeLengthOffset = 4;
constexpr int kLibraryLengthOffset = 18;
constexpr int kLibraryKindOffset = 22;
constexpr int kLibraryRhythmKind = 11;
constexpr int kRawMinimumSize = 19;
constexpr int kWrapperModelOffset = 4;
constexpr int kWrapperModelLength = 8;
constexpr int kWrapperLengthOffset = 12;

} // namespace

RhythmDataFile::RhythmDataFile() {
    initialize();
}

void RhythmDataFile::initialize() {}

QString RhythmDataFile::className() const {
    return QStringLiteral("RhythmDataFile");
}

RhythmDataFile::Form RhythmDataFile::rhythmForm(const QByteArray& bytes) {
    if (bytes.startsWith(kNativeTag))
        return isNative(bytes) ? NativeForm : InvalidForm;
    if (bytes.startsWith(kWrappedTag))
        return WrappedForm;
    if (bytes.startsWith(kLibraryTag))
        return isLibrary(bytes) ? LibraryForm : InvalidForm;
    return isRaw(bytes) ? RawForm : InvalidForm;
}

bool RhythmDataFile::isNative(const QByteArray& bytes) {
    if (bytes.size() < kNativeLengthOffset + 4)
        return false;
    const qint64 length = qFromLittleEndian<qint32>(bytes.constData() + kNativeLengthOffset);
    return length == bytes.size();
}

bool RhythmDataFile::isLibrary(const QByteArray& bytes) {
    if (bytes.size() < kLibraryKindOffset + 2)
        return false;
    const int length = qFromBigEndian<quint16>(bytes.constData() + kLibraryLengthOffset);
    const int kind = qFromBigEndian<quint16>(bytes.constData() + kLibraryKindOffset);
    return length + kLibraryHeaderSize == bytes.size() && kind == kLibraryRhythmKind;
}

bool RhythmDataFile::isRaw(const QByteArray& bytes) {
    if (bytes.size() < kRawMinimumSize)
        return false;
    return qFromLittleEndian<quint16>(bytes.constData()) == bytes.size();
}

int RhythmDataFile::fromByteArray(const QByteArray& bytes) {
    switch (rhythmForm(bytes)) {
    case NativeForm:
    case RawForm:
        setData(bytes);
        return FileOk;
    case WrappedForm:
        setData(bytes.mid(kWrapperSize));
        return FileOk;
    case LibraryForm:
        setData(bytes.mid(kLibraryHeaderSize));
        return FileOk;
    case InvalidForm:
        break;
    }
    // Nothing of an unreadable image may pass for a rhythm later on.
    setData({});
    return FileFormatError;
}

RhythmDataFile::Form RhythmDataFile::form() const {
    return rhythmForm(data());
}

bool RhythmDataFile::isValid() const {
    // The payload is what reaches the keyboard, so a wrapped or library image
    // must hold a native or raw rhythm, not nothing, junk or another wrapper.
    const Form held = form();
    return held == NativeForm || held == RawForm;
}

int RhythmDataFile::toByteArray(QByteArray& out) const {
    const QByteArray payload = data();
    out = payload;
    switch (rhythmForm(payload)) {
    case NativeForm:
        return FileOk;
    case RawForm:
        out.prepend(wrapperFor(payload));
        return FileOk;
    default:
        return FileFormatError;
    }
}

QByteArray RhythmDataFile::wrapperFor(const QByteArray& raw) {
    QByteArray header(kWrapperSize, '\0');
    header.replace(0, kWrappedTag.size(), kWrappedTag);
    const QByteArray model =
        data::KeyboardInfo::currentModel()->modelName().trimmed().toLatin1().left(
            kWrapperModelLength);
    header.replace(kWrapperModelOffset, model.size(), model);
    // A raw rhythm's own length field is 16 bits wide, so the size fits.
    qToLittleEndian<quint16>(static_cast<quint16>(raw.size()),
                             header.data() + kWrapperLengthOffset);
    return header;
}

} // namespace zel::qmix::file
