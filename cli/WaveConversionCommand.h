#pragma once

#include "comm/WaveFileCopyToSdCommand.h"

namespace zel::qmix::cli {

// The card import's conversion chain without a card: turns a WAV file into
// the keyboard's format (16-bit, stereo, 44100 Hz) and writes it to a file of
// the caller's choice. The output replaces an existing file only once it is
// complete, so a failed or cancelled conversion leaves it as it was.
class WaveConversionCommand : public comm::WaveFileCopyToSdCommand {
    Q_OBJECT
public:
    WaveConversionCommand(const QString& input, const QString& output, QObject* parent = nullptr);

protected:
    void deliver() override;
    void registerOnCard() override;
    QDir targetDirectory() const override;
    bool usesCardDirectory() const override;

private:
    QString output_;
};

} // namespace zel::qmix::cli
