#pragma once

#include "cli/AudioCliCommand.h"

#include <QDir>

namespace zel::qmix::file {
class CardAudioControlFile;
}

namespace zel::qmix::cli {

// "card list", "card import", "card export" and "card delete": the SD card's
// audio list as the card views of the desktop program show and change it.
// DIR is the card's root folder, which holds "MUSICDAT"; N counts the entries
// of one kind (recordable or play-only) from 1, as "card list" numbers them.
class CardCommand : public AudioCliCommand {
public:
    QString name() const override;
    QList<UsageLine> usage() const override;

protected:
    int runAudio(const QStringList& arguments) override;

private:
    int list(const QStringList& arguments) const;
    int importFiles(const QStringList& arguments);
    int exportEntry(const QStringList& arguments);
    int deleteEntry(const QStringList& arguments) const;

    // Loads the control file of the card at `root`; reports a failure and
    // returns its exit status, or 0.
    int loadControlFile(const QString& root, file::CardAudioControlFile& control) const;
    static QDir audioFolder(const QString& root);
    static QString controlFilePath(const QString& root);
    // A position N >= 1; 0 when `text` is none.
    static int parsePosition(const QString& text);
};

} // namespace zel::qmix::cli
