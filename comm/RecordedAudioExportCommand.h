#pragma once

#include "comm/WaveFileCopyToSdCommand.h"

namespace zel::qmix::comm {

// Exports an audio file from the SD card to a PC folder as "NAME.WAV" (or
// "NAME(2).WAV", ... where that exists): converts it to 44100 Hz, brings its
// level up and copies the result. The card stays as it was.
class RecordedAudioExportCommand : public WaveFileCopyToSdCommand {
    Q_OBJECT
public:
    // `exportName` is normally the entry's data name; `byteLimit` cuts off
    // whatever follows the audio data in the card file.
    RecordedAudioExportCommand(const QString& sourcePath, const QString& exportName,
                               const QDir& exportFolder, qint64 byteLimit = NoLimit,
                               QObject* parent = nullptr);

    QString exportName() const { return exportName_; }

public slots:
    void relayConvertProgressInfo(double current) override;

protected:
    void convert() override;
    void deliver() override;
    // The card's list is not touched.
    void registerOnCard() override;
    QDir targetDirectory() const override;
    bool usesCardDirectory() const override;
    qint64 temporaryBytesNeeded(const audio::WaveFormatInfo& source) const override;

private:
    void copyToDestination(const QString& converted, const QString& destination);

    QString exportName_;
    QDir exportFolder_;
};

} // namespace zel::qmix::comm
