#pragma once

#include "cli/AudioCliCommand.h"

namespace zel::qmix::cli {

// "wav info" and "wav convert": what the WAV reader makes of a file, and the
// card import's conversion into the keyboard's format without a card.
class WavCommand : public AudioCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    int runAudio(const QStringList& arguments) override;

private:
    int info(const QStringList& arguments) const;
    int convert(const QStringList& arguments);
};

} // namespace zel::qmix::cli
