#pragma once

#include "file/AbstractFile.h"
#include "file/CardAudioEntry.h"

#include <QList>
#include <QString>

#include <optional>

class QDir;

namespace zel::qmix::file {

// "TAVROWAV.DIR", the list the keyboard's SD-card audio player keeps of its
// recorded and playable files, in the card's "MUSICDAT" folder next to the
// files themselves. The keyboard writes it too, so its layout is the
// keyboard's: 32-byte records without a header, the entries in list order,
// then a trailer record.
//
// Positions (find..ByPosition, replaceAtPosition) count the entries of one
// kind only, recordable or play-only, as the card views list them; list
// indexes count every entry.
class CardAudioControlFile : public AbstractFile {
public:
    static const char* const kFolderName;
    static const char* const kFileName;
    static constexpr int kRecordSize = 32;
    // The keyboard takes no more entries than this.
    static constexpr int kMaxEntries = 999;
    // Trailer states: counted (the keyboard keeps a counter of 0 to 99) or
    // unset.
    static constexpr int kTrailerCounted = 0;
    static constexpr int kTrailerUnset = 255;
    static constexpr int kMaxTrailerCounter = 99;

    CardAudioControlFile();

    // No entries, trailer unset.
    void initialize() override;
    void clear() { initialize(); }
    // 3 for a length that is not a multiple of 32 or an invalid entry before
    // the trailer; the entries before the bad record stay.
    int fromByteArray(const QByteArray& bytes) override;
    // Invalid entries are left out.
    int toByteArray(QByteArray& out) const override;
    bool isValid() const override;
    QString className() const override;

    using AbstractFile::save;
    // Saves with the card-file protection lifted for the write and put back
    // afterwards, whatever the result; 2 when the card has too little room
    // (the old file then stays as it was).
    int save(const QString& path) const;

    const QList<CardAudioEntry>& entries() const { return entries_; }
    int count() const { return int(entries_.size()); }
    int trailerState() const { return trailerState_; }
    // Meaningful only when the state is counted.
    int trailerCounter() const { return trailerCounter_; }
    // Any state other than counted is unset (counter 0); a counted state keeps
    // its counter within 0 to 99.
    void setTrailer(int state, int counter);

    std::optional<CardAudioEntry> findPlayOnlyByPosition(int position) const;
    std::optional<CardAudioEntry> findRecordableByPosition(int position) const;
    // List index of the entry at `position` among its kind, -1 if none.
    int listIndexOfPlayOnly(int position) const;
    int listIndexOfRecordable(int position) const;

    // Overwrites the play-only entry at `position`; nothing happens when
    // there is none.
    void replaceAtPosition(int position, const CardAudioEntry& entry);
    void append(const CardAudioEntry& entry);
    // Nothing happens when `index` is out of range or the entry there has no
    // file name.
    void removeAtListIndex(int index);
    // Drops the play-only entries whose audio files are gone from
    // `audioFolder`; returns how many went.
    int removePlayOnlyEntriesWithoutFile(const QDir& audioFolder);

    // Whether some entry's data name equals `name`, trailing white space
    // ignored on both sides (case matters).
    bool nameExists(const QString& name) const;
    // `name` if no entry has it, otherwise the first free of name(2),
    // name(3), ..., the name shortened so that name and suffix stay within
    // 12 characters.
    QString uniqueDataName(const QString& name) const;

private:
    int listIndexOfKind(int position, bool playOnly) const;

    QList<CardAudioEntry> entries_;
    int trailerState_ = kTrailerUnset;
    int trailerCounter_ = 0;
};

} // namespace zel::qmix::file
