#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>

namespace zel::qmix::file {

// One audio file of the keyboard's SD-card player, as its control file lists
// it.
struct CardAudioEntry {
    enum Kind {
        // Made by the keyboard's recorder; "Rec/Play Files".
        Recordable = 0,
        // Play-only files at 42819 Hz and at 44100 Hz; "Play-Only Files".
        PlayOnly42819 = 1,
        PlayOnly44100 = 2,
    };
    static constexpr int kMaxBaseNameLength = 8;
    static constexpr int kMaxExtensionLength = 3;
    static constexpr int kMaxDataNameLength = 12;

    QString baseName;
    QString extension;
    int kind = Recordable;
    // Bytes in the audio file's data chunk.
    qint32 dataSize = 0;
    qint32 seconds = 0;
    // The name shown to the user, up to 12 characters (trailing spaces kept).
    QString dataName;

    bool isValid() const {
        return baseName.size() <= kMaxBaseNameLength && extension.size() <= kMaxExtensionLength &&
               dataName.size() <= kMaxDataNameLength && kind >= Recordable && kind <= PlayOnly44100;
    }
    bool isRecordable() const { return kind == Recordable; }
    bool isPlayOnly() const { return kind == PlayOnly42819 || kind == PlayOnly44100; }
    // The audio file's name in the card's audio folder.
    QString fileName() const { return baseName + QLatin1Char('.') + extension; }

    bool operator==(const CardAudioEntry& other) const {
        return baseName == other.baseName && extension == other.extension && kind == other.kind &&
               dataSize == other.dataSize && seconds == other.seconds && dataName == other.dataName;
    }
    bool operator!=(const CardAudioEntry& other) const { return !(*this == other); }
};

} // namespace zel::qmix::file

// Card entries travel in the drag data of the card lists.
Q_DECLARE_METATYPE(zel::qmix::file::CardAudioEntry)
