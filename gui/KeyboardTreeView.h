#pragma once

#include "comm/CommandConnections.h"
#include "comm/CommandErrorCode.h"
#include "comm/ExpectedArea.h"
#include "data/DataCategory.h"
#include "data/DataPackage.h"
#include "gui/RemoteTreeView.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QTimer>
#include <QVariant>

class QStandardItem;
class QStandardItemModel;

namespace zel::qmix::comm {
class KeyboardCommunicator;
} // namespace zel::qmix::comm

namespace zel::qmix::etc {
class AlwaysYesChecker;
class GenericChecker;
} // namespace zel::qmix::etc

namespace zel::qmix::data {
class KeyboardInfo;
}

namespace zel::qmix::gui {

// The areas of the connected keyboard for one data category: names and sizes
// are read lazily around the visible rows, the category's memory use is
// reported for the memory bar, PC files dropped on a row are sent to that
// area, and deleted rows are cleared on the keyboard. Every keyboard command
// is only registered here; its answers come back through the reply slots.
class KeyboardTreeView : public RemoteTreeView {
    Q_OBJECT
public:
    // The byte count of an area, under column 2.
    static constexpr int SizeRole = Qt::UserRole + 100;
    // Loading gives up after this many failed reads between two reloads.
    static constexpr int MaxRetries = 10;
    // Milliseconds the view must be still before the visible rows are read.
    static constexpr int LoadDelayMs = 100;
    // Rows read beyond each end of the visible range.
    static constexpr int LoadMargin = 5;

    enum Column { AreaColumn = 0, NameColumn = 1, SizeColumn = 2 };

    static QString loadingText();
    static QString queuedText();
    static QString errorText();
    // "1,234 byte", as the PC list shows sizes.
    static QString sizeText(qint64 bytes);
    // The fill level the memory bar shows: the reserved bytes (what empty
    // areas take) are left out of both sizes; 1 when anything is in use,
    // never more than 99.
    static int memoryPercent(int used, int total, int reserved);

    explicit KeyboardTreeView(QWidget* parent = nullptr);
    ~KeyboardTreeView() override;

    void setCommunicator(comm::KeyboardCommunicator* communicator);
    // Asked before a dropped file replaces an area in use.
    void setReplaceChecker(etc::GenericChecker* checker);
    // Where the cancel and suspend requests of the sends and deletes come from.
    void setCommandControlSource(const comm::CommandControlSource& source);

    const data::DataCategory* category() const { return category_; }
    QStandardItemModel* itemModel() const { return model_; }
    // Whether a keyboard's areas are listed (and not the single empty row).
    bool showsAreas() const { return showsAreas_; }
    // The keyboard area a row stands for, as the commands address it.
    int areaNumberOf(int row) const;

signals:
    void commandStarted(QVariant info);
    void commandProgress(int done, int total);
    void commandFinished(QVariant result);
    void newCommandRegistered();
    void commandCancelDisableRequired();
    void areaDeleteFinished();
    void notifyMemoryDisplayRequired(bool visible);
    void notifyCategoryCurrentMemory(int percent);
    void notifyCategoryTotalMemory(int total);
    void notifyCategoryMemoryOk();
    void notifyCategoryMemoryError();
    void requireCategoryMemoryReset();
    void notifyError(zel::qmix::comm::CommandErrorCode::T code, QString detail);

public slots:
    // Lists the areas of `category`; with no keyboard connected a single
    // empty row (the window calls reload() after a disconnection).
    void reload(zel::qmix::data::const_DataCategory* category);
    void reload();
    // The package's areas of the shown category were written: they are read again.
    void applyDataPackage(zel::qmix::data::const_DataPackage* package);
    void clearSelectedArea();
    void sendToTrash() override;
    void reloadMemoryBar(zel::qmix::data::const_DataCategory* category, bool notGet);
    void reloadMemoryBar(zel::qmix::data::const_DataCategory* category);
    void clearIgnoreRow();
    void emitCommandProgress(int done, int total);
    void onStartBulkSend(QVariant info);
    void onFinishBulkSend(QVariant result);
    void onStartAreaClear(QVariant info);
    void onFinishAreaClear(QVariant result);
    void onFinishSeriesEnd(QVariant result);
    void onFinishAreaDataLoad(QVariant result);
    void onFinishCategoryMemoryLoad(QVariant result);
    void areaDataLoadTimerSlot();

protected:
    data::MimeData* createDragData() override;
    bool acceptsDrop(const QMimeData* mime, const QModelIndex& index) const override;
    void filesDropped(const QStringList& paths, const QModelIndex& index) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class RowState { Loading, Queued, Error, Loaded };
    // A command's category code and area number.
    using AreaKey = QPair<int, int>;
    struct Target {
        const data::DataCategory* category = nullptr;
        int row = -1;
    };

    bool isConnected() const;
    const data::KeyboardInfo* keyboard() const;
    bool isAreaRow(int row) const;
    Target targetOf(int categoryCode, int areaNumber) const;
    QStandardItem* nameItem(int row) const;
    QStandardItem* sizeItem(int row) const;
    RowState rowState(int row) const;
    void setRowState(int row, RowState state);
    void showAreaData(int row, const data::DataCategory* category, bool used, const QString& name,
                      int size);
    comm::ExpectedArea expectedAreaOf(int row) const;
    QList<int> selectedAreaRows() const;
    bool isIgnored(const data::DataCategory* category, int row) const;
    void ignoreRow(int row);
    void releaseRow(const data::DataCategory* category, int row);

    void appendAreaRows();
    void appendEmptyRow();
    void setUpColumns();
    void restartLoadTimer();
    void registerAreaDataLoad(int categoryCode, int areaNumber, int level);
    void retryOrGiveUp(int row);
    void giveUpLoading();

    void sendFile(const QString& path, int row);
    void clearArea(int row);
    using ReplySlot = void (KeyboardTreeView::*)(QVariant);
    comm::CommandConnections sendConnections() const;
    comm::CommandConnections clearConnections() const;
    // A send and a clear report the same way, to their own start and end slots.
    comm::CommandConnections commandConnections(ReplySlot started, ReplySlot finished) const;
    void reactToStart(const QVariant& title, int categoryCode, int areaNumber);
    void reactToEnd(int errorCode, int categoryCode, int areaNumber);
    QString areaDetail(int categoryCode, int areaNumber) const;

    QStandardItemModel* model_;
    const data::DataCategory* category_ = nullptr;
    bool showsAreas_ = false;
    comm::KeyboardCommunicator* communicator_ = nullptr;
    etc::GenericChecker* replaceChecker_ = nullptr;
    etc::AlwaysYesChecker* clearChecker_;
    comm::CommandControlSource controlSource_;
    // Rows with a send or clear pending, which the loader leaves alone.
    QHash<const data::DataCategory*, QSet<int>> ignoredRows_;
    // Areas whose read is registered and not answered yet, so that the
    // loader does not ask twice.
    QSet<AreaKey> pendingLoads_;
    bool memoryQueryPending_ = false;
    int retryCount_ = 0;
    QTimer loadTimer_;
};

} // namespace zel::qmix::gui
