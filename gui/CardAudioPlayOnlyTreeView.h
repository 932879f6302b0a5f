#pragma once

#include "gui/CardAudioTreeView.h"

#include <QStringList>

namespace zel::qmix::comm {
struct CommandConnections;
}

namespace zel::qmix::gui {

// The card's play-only entries ("Play-Only Files"). PC WAV files dropped
// here are converted onto the card, one import command per file; entries
// sent to the trash are deleted from the card. Its column widths follow the
// recordable list above it, which follows its horizontal scroll position.
class CardAudioPlayOnlyTreeView : public CardAudioTreeView {
    Q_OBJECT
public:
    explicit CardAudioPlayOnlyTreeView(QWidget* parent = nullptr);

    // "Importing "<file name>"": the title of a file's import.
    static QString importTitle(const QString& path);

signals:
    void horizontalScrollBarPosChanged(int position);

public slots:
    // Deletes the selected entries' audio files and their entries. The
    // control file is written before any audio file goes, so that it never
    // names a file that is not there.
    void sendToTrash() override;
    void onFinishCommand(QVariant result);

protected:
    bool acceptsEntry(const file::CardAudioEntry& entry) const override {
        return !entry.isRecordable();
    }
    bool isRecordable() const override { return false; }
    bool acceptsDrop(const QMimeData* mime) const override;
    void dropped(const QMimeData* mime) override;

private:
    void importFile(const QString& path);
    comm::CommandConnections importConnections() const;
    // The file names of the selected rows that the card still lists as
    // play-only entries.
    QStringList selectedFileNames(const file::CardAudioControlFile& control) const;
    // The card has gone since it was listed: the lists show it.
    void showCardGone();
};

} // namespace zel::qmix::gui
