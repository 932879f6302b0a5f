#pragma once

#include "comm/CommandControlSource.h"
#include "file/CardAudioControlFile.h"
#include "file/CardAudioEntry.h"
#include "gui/AbstractTreeView.h"

#include <QDir>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

class QStandardItemModel;

namespace zel::qmix::comm {
class KeyboardCommunicator;
}

namespace zel::qmix::gui {

// One kind of the entries of the SD card's audio list ("TAVROWAV.DIR" in the
// card's "MUSICDAT" folder): the card's number of each, its data name and
// size. The card is read again on every reload; a card that cannot be read
// leaves the view disabled until a reload succeeds. Rows dragged from here
// carry the entries and their audio files.
//
// The recordable and the play-only list sit one above the other and keep
// their columns aligned: one passes its column widths on, the other its
// horizontal scroll position.
class CardAudioTreeView : public AbstractTreeView {
    Q_OBJECT
public:
    enum Column { NumberColumn = 0, NameColumn = 1, SizeColumn = 2 };
    // Column 0 of an entry row: the audio file's name in the card's folder.
    static constexpr int FileNameRole = Qt::UserRole + 1;

    static QString noDataText();
    // The picture of a card entry in the lists and under the cursor.
    static QIcon entryIcon();

    explicit CardAudioTreeView(QWidget* parent = nullptr);
    ~CardAudioTreeView() override;

    void setCommunicator(comm::KeyboardCommunicator* communicator);
    // Where the cancel and suspend requests of the card commands come from.
    void setCommandControlSource(const comm::CommandControlSource& source);

    // The card directory last given that existed (absolute), or empty.
    QString cardDirectory() const { return cardDirectory_; }
    // Its "MUSICDAT" folder and control file.
    QString audioFolder() const;
    QString controlFilePath() const;
    // Whether the last reload read the card.
    bool isCardLoaded() const { return cardLoaded_; }
    QStandardItemModel* itemModel() const { return model_; }

    // Number and size columns are sized for the widest number and size a
    // card can hold, so that both card lists start out aligned.
    int sizeHintForColumn(int column) const override;

signals:
    void commandStarted(QVariant info);
    void commandProgress(int done, int total);
    void commandFinished(QVariant result);
    void newCommandRegistered();
    void cardLoadSucceeded();
    void cardLoadFailed();
    void resized();
    void requireAudioSizeReset();
    void notifyAudioSizeTotal(int megabytes);
    void notifyAudioSizeCurrent(int megabytes);
    // The card changed: every audio list should be listed again.
    void allReloadRequired();

public slots:
    void reload(QDir sdDir);
    void reload();
    // Takes a column width of the list this one is aligned with; kept
    // across reloads.
    void setColumnNewWidth(int column, int width);
    void setHorizontalScrollBarPos(int position);

protected:
    // Whether the entry is one of this list's kind.
    virtual bool acceptsEntry(const file::CardAudioEntry& entry) const = 0;
    virtual bool isRecordable() const = 0;
    // After every reload (the recordable list fits its height to it).
    virtual void reloaded() {}
    // Drops: none are taken unless a list says so.
    virtual bool acceptsDrop(const QMimeData* mime) const;
    virtual void dropped(const QMimeData* mime);

    // The entry a row lists, from the control file read at the last reload.
    std::optional<file::CardAudioEntry> entryAtRow(int row) const;
    // Selected entry rows, top to bottom.
    QList<int> selectedRows() const;
    // Whether the card listed at the last reload is still there to be
    // written: its audio folder and control file exist.
    bool isCardPresent() const;

    comm::KeyboardCommunicator* communicator() const { return communicator_; }
    const comm::CommandControlSource& commandControlSource() const { return controlSource_; }

    data::MimeData* createDragData() override;
    QPixmap dragPixmap() const override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void acceptAsCopy(QDropEvent* event) const;
    bool loadCard(const QDir& sdDir, qint64& freeBytes);
    void showEntries(qint64 freeBytes);
    void showFailure();
    void addEntryRow(int number, const file::CardAudioEntry& entry);
    void addPlaceholderRow(const QString& number, const QString& name, const QString& size);
    void setUpColumns();
    void applyFollowedWidths();
    int textColumnWidth(const QString& widest) const;

    QStandardItemModel* model_;
    QString cardDirectory_;
    bool cardLoaded_ = false;
    file::CardAudioControlFile controlFile_;
    comm::KeyboardCommunicator* communicator_ = nullptr;
    comm::CommandControlSource controlSource_;
    // Column widths taken from the aligned list, by column.
    QHash<int, int> followedWidths_;
};

} // namespace zel::qmix::gui
