#pragma once

#include "file/CardAudioControlFile.h"
#include "file/CardAudioEntry.h"

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>

// An SD card folder as the keyboard leaves it: "MUSICDAT" with its control
// file and audio files in the keyboard's format (16-bit stereo), protected
// as the card keeps them.
class CardFolder {
public:
    // Creates `root`/MUSICDAT; nothing is written until save().
    explicit CardFolder(const QString& root);

    QDir root() const { return QDir(root_); }
    QString audioFolder() const;
    QString controlFilePath() const;

    // Writes an audio file of `frames` frames at the rate of `kind` (the
    // recorder's and 44100 Hz play-only files at 44100 Hz, the others at
    // 42819 Hz) and lists it. A recordable entry of 0 frames is an empty
    // slot of the recorder, without a file.
    zel::qmix::file::CardAudioEntry add(int kind, const QString& dataName, int frames = 441);
    // Lists an entry whose audio file is not there.
    zel::qmix::file::CardAudioEntry addMissing(int kind, const QString& dataName);
    zel::qmix::file::CardAudioControlFile& controlFile() { return control_; }
    bool save() const;

    // A keyboard-format WAV file: 44-byte header, then a ramp of samples.
    static QByteArray audioFile(int rate, int frames);

    // Every file of the audio folder with its contents, to tell whether the
    // card changed.
    QMap<QString, QByteArray> snapshot() const;
    // Every file of the audio folder, none of them left read-only (so that
    // temporary folders can be removed).
    void unprotectAll() const;

private:
    zel::qmix::file::CardAudioEntry entryFor(int kind, const QString& dataName, int frames);

    QString root_;
    zel::qmix::file::CardAudioControlFile control_;
    int nextFile_ = 1;
};
