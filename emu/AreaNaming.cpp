#include "emu/AreaNaming.h"

namespace zel::qmix::emu {

namespace {

// Where the data carry their name: the song header, the native rhythm form
// ("AC07") and music presets ("CMPS") all have a fixed name field.
constexpr int kSongNameOffset = 10;
constexpr int kSongNameLength = 12;
constexpr int kRhythmNameOffset = 10;
constexpr int kRhythmNameLength = 12;
constexpr int kPresetNameOffset = 9;
constexpr int kPresetNameLength = 16;

const QByteArray kNativeRhythmTag = QByteArrayLiteral("AC07");
const QByteArray kMusicPresetTag = QByteArrayLiteral("CMPS");

QByteArray field(const QByteArray& data, int offset, int length) {
    return data.size() >= offset + length ? data.mid(offset, length) : QByteArray();
}

} // namespace

QString AreaNaming::name(const ModelLayout& layout, int category, int area,
                         const QByteArray& data) {
    if (category == ModelLayout::ALL_DATA_CATEGORY)
        return QStringLiteral("All Data");
    const QString embedded = embeddedName(category, data);
    if (!embedded.isEmpty())
        return embedded;
    return QStringLiteral("%1 %2")
        .arg(layout.displayName(category, area))
        .arg(layout.shownNumber(category, area))
        .left(NAME_LENGTH);
}

QString AreaNaming::embeddedName(int category, const QByteArray& data) {
    switch (category) {
    case ModelLayout::SONG_CATEGORY:
        return readable(field(data, kSongNameOffset, kSongNameLength));
    case ModelLayout::RHYTHM_CATEGORY:
        if (!data.startsWith(kNativeRhythmTag))
            return {};
        return readable(field(data, kRhythmNameOffset, kRhythmNameLength));
    case ModelLayout::MUSIC_PRESET_CATEGORY:
        if (!data.startsWith(kMusicPresetTag))
            return {};
        return readable(field(data, kPresetNameOffset, kPresetNameLength));
    default:
        return {};
    }
}

// The display knows printable ASCII only; a zero byte ends the name and the
// blanks that pad it are not part of it.
QString AreaNaming::readable(const QByteArray& field) {
    QString text;
    for (const char byte : field) {
        if (byte == '\0')
            break;
        const bool printable = byte >= 0x20 && byte <= 0x7E;
        text.append(printable ? QLatin1Char(byte) : QLatin1Char('?'));
    }
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

} // namespace zel::qmix::emu
