#pragma once

#include "comm/FileCopyCommand.h"

#include <QDir>
#include <QString>

#include <array>
#include <atomic>
#include <functional>

class QTemporaryFile;

namespace zel::qmix::audio {
class WaveConverter;
struct WaveFormatInfo;
} // namespace zel::qmix::audio

namespace zel::qmix::file {
class CardAudioControlFile;
}

namespace zel::qmix::comm {

// Imports a PC WAV file to the SD card: converts it to the keyboard's format
// (16-bit, stereo, 44100 Hz) through a chain of temporary files, copies it
// into the card's audio folder under a generated "_XXXXXXX.WV7" name, and
// enters it in the card's control file as a play-only file, new or in place
// of an existing one. The control file is written last, so whatever fails
// leaves the card's list as it was.
//
// Progress is one percentage over all steps, progress2(percent, 100). A
// cancel also reaches a conversion that is running.
class WaveFileCopyToSdCommand : public FileCopyCommand {
    Q_OBJECT
public:
    // The steps, in the order of the import: 0, 3, 2, 4, 6, 7; the export
    // runs 1, 0, 4, 5, 6, 7. Each selects a range of the overall progress.
    enum Phase {
        CopyPhase = 0,
        HeaderPhase = 1,
        BitDepthPhase = 2,
        StereoPhase = 3,
        SamplingRatePhase = 4,
        NormalizePhase = 5,
        ConvertedPhase = 6,
        DeliverPhase = 7,
    };
    // Where a phase's progress lies within the whole, in percent.
    struct PhaseSpan {
        int phase;
        int base;
        int span;
    };

    static constexpr int NoReplace = -1;
    static constexpr int TemporaryFileCount = 4;
    static constexpr qint64 AudioBlockSize = 1024;

    // `cardAudioFolder` is the card's "MUSICDAT" folder. A `replacePosition`
    // n >= 0 replaces the n-th play-only entry of the control file (counted
    // from 0), when there is one.
    WaveFileCopyToSdCommand(const QString& sourcePath, const QDir& cardAudioFolder,
                            int replacePosition = NoReplace, qint64 byteLimit = NoLimit,
                            QObject* parent = nullptr);
    ~WaveFileCopyToSdCommand() override;

    void proceed() override;

    // The converter at work, for suspension from outside.
    audio::WaveConverter* converter() const { return converter_; }
    int phase() const { return phase_.load(); }
    int replacePosition() const { return replacePosition_; }
    // The audio file's name in the card's audio folder, once chosen.
    QString cardFileName() const { return cardFileName_; }

    // The data name an imported file gets before it is made unique: the
    // part of its file name before the first dot, printable ASCII only,
    // padded with spaces or cut to 12 characters.
    static QString dataNameFor(const QString& sourcePath);

signals:
    void progress2(int percent, int total);

public slots:
    // Also stops a conversion that is running.
    void cancel() override;
    virtual void relayConvertProgressInfo(double current);

protected:
    // Runs the conversion chain; afterwards workingPath() names the file in
    // the keyboard's format.
    virtual void convert();
    // Copies the converted file to its destination.
    virtual void deliver();
    // Enters the delivered file in the control file.
    virtual void registerOnCard();
    virtual QDir targetDirectory() const;
    virtual bool usesCardDirectory() const;
    // Room the temporary files of the conversion chain need at the most.
    virtual qint64 temporaryBytesNeeded(const audio::WaveFormatInfo& source) const;

    void relayProgress(double current, const PhaseSpan* spans, int count,
                       const char* ineffectiveMessage);
    void setPhase(int phase) { phase_.store(phase); }

    QString workingPath() const { return workingPath_; }
    void setWorkingPath(const QString& path) { workingPath_ = path; }
    QString givenSourcePath() const { return givenSourcePath_; }
    // Opens temporary file `index` (creating it), closes it again and returns
    // its path, for a step to write; throws the file write error if it
    // cannot.
    QString prepareTemporary(int index);
    // Makes temporary file `index` the working file, after a step wrote it:
    // the temporary files before it are no longer needed.
    void adoptTemporary(int index);
    // Runs one conversion step into temporary file `index`; a step with
    // nothing to do keeps the working file.
    void runConversion(int phase, int index,
                       const std::function<int(const QString&, const QString&)>& conversion);
    // Copies `count` bytes (all of the source's data) from `offset` of the
    // source behind `header` into temporary file 0, in 1024-byte blocks.
    void copyAudioIntoFirstTemporary(const QByteArray& header, qint64 offset, qint64 count);

    static audio::WaveFormatInfo readHeaderOrThrow(const QString& path);
    static void loadControlFileOrThrow(file::CardAudioControlFile& control, const QString& path);
    static qint64 keyboardFramesFor(const audio::WaveFormatInfo& info);

private:
    void runSteps();
    void checkSourceReadable() const;
    void checkTargetWritable() const;
    void checkControlFileRoom() const;
    void checkRoom(const audio::WaveFormatInfo& source) const;
    void removeTemporaries();
    QString controlFilePath() const;

    std::array<QTemporaryFile*, TemporaryFileCount> temporaries_{};
    QDir cardAudioFolder_;
    QString cardFileName_;
    int replacePosition_;
    QString givenSourcePath_;
    QString workingPath_;
    audio::WaveConverter* converter_;
    std::atomic<int> phase_{CopyPhase};
    int lastPercent_ = -1;
};

} // namespace zel::qmix::comm
