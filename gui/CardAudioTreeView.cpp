#include "gui/CardAudioTreeView.h"

#include "data/MimeData.h"
#include "file/FreeSpace.h"
#include "gui/SizeTexts.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStorageInfo>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace zel::qmix::gui {

namespace {

constexpr Qt::Alignment RightCentred = Qt::AlignRight | Qt::AlignVCenter;
// Room around a column's text, as the header and the items need it.
constexpr int ColumnPadding = 16;

QStandardItem* rowItem(const QString& text, Qt::ItemFlags flags) {
    auto* item = new QStandardItem(text);
    item->setFlags(flags);
    return item;
}

} // namespace

QString CardAudioTreeView::noDataText() {
    return tr("No Data");
}

QIcon CardAudioTreeView::entryIcon() {
    return QIcon(QStringLiteral(":/images/wv7.png"));
}

CardAudioTreeView::CardAudioTreeView(QWidget* parent)
    : AbstractTreeView(parent)
    , model_(new QStandardItemModel(this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Equal viewports keep the two card lists' columns over each other.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    header()->setStretchLastSection(false);
    addPlaceholderRow(QString(), QString(), QString());
    setUpColumns();
}

CardAudioTreeView::~CardAudioTreeView() = default;

void CardAudioTreeView::setCommunicator(comm::KeyboardCommunicator* communicator) {
    communicator_ = communicator;
}

void CardAudioTreeView::setCommandControlSource(const comm::CommandControlSource& source) {
    controlSource_ = source;
}

QString CardAudioTreeView::audioFolder() const {
    if (cardDirectory_.isEmpty())
        return QString();
    return QDir(cardDirectory_).filePath(QLatin1String(file::CardAudioControlFile::kFolderName));
}

QString CardAudioTreeView::controlFilePath() const {
    if (cardDirectory_.isEmpty())
        return QString();
    return QDir(audioFolder()).filePath(QLatin1String(file::CardAudioControlFile::kFileName));
}

bool CardAudioTreeView::isCardPresent() const {
    return cardLoaded_ && QFileInfo(audioFolder()).isDir() && QFileInfo(controlFilePath()).isFile();
}

// ---------------------------------------------------------------- listing

void CardAudioTreeView::reload() {
    reload(QDir(cardDirectory_));
}

void CardAudioTreeView::reload(QDir sdDir) {
    emit requireAudioSizeReset();
    model_->removeRows(0, model_->rowCount());
    qint64 freeBytes = 0;
    cardLoaded_ = loadCard(sdDir, freeBytes);
    if (cardLoaded_)
        showEntries(freeBytes);
    else
        showFailure();
    setUpColumns();
    reloaded();
}

bool CardAudioTreeView::loadCard(const QDir& sdDir, qint64& freeBytes) {
    controlFile_.clear();
    // No card chosen arrives as an empty QDir, which names the current
    // folder: that is never taken for a card, or its "MUSICDAT" would be
    // written to.
    if (sdDir.path().isEmpty() || sdDir.isRelative() || !sdDir.exists())
        return false;
    cardDirectory_ = sdDir.absolutePath();
    const QStorageInfo volume(cardDirectory_);
    if (!volume.isValid() || volume.bytesTotal() <= 0)
        return false;
    freeBytes = std::max<qint64>(0, file::FreeSpace::bytesAvailable(cardDirectory_));
    if (controlFile_.load(controlFilePath()) != file::FileOk) {
        // Entries read before a bad record are no listing of the card.
        controlFile_.clear();
        return false;
    }
    return true;
}

void CardAudioTreeView::showEntries(qint64 freeBytes) {
    setEnabled(true);
    emit cardLoadSucceeded();
    qint64 sum = 0;
    const QList<file::CardAudioEntry>& entries = controlFile_.entries();
    for (int i = 0; i < entries.size(); ++i) {
        const file::CardAudioEntry& entry = entries.at(i);
        if (!acceptsEntry(entry))
            continue;
        addEntryRow(i + 1, entry);
        sum += std::max<qint32>(0, entry.dataSize);
    }
    emit notifyAudioSizeTotal(SizeTexts::megabytes(freeBytes + sum));
    emit notifyAudioSizeCurrent(SizeTexts::megabytes(sum));
    if (model_->rowCount() == 0)
        addPlaceholderRow(QStringLiteral("-"), noDataText(), QStringLiteral("-"));
}

void CardAudioTreeView::showFailure() {
    emit cardLoadFailed();
    setEnabled(false);
    addPlaceholderRow(QString(), QString(), QString());
}

void CardAudioTreeView::addEntryRow(int number, const file::CardAudioEntry& entry) {
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    QStandardItem* numberItem = rowItem(QString::number(number), flags);
    numberItem->setTextAlignment(RightCentred);
    numberItem->setData(entry.fileName(), FileNameRole);
    QStandardItem* nameItem = rowItem(entry.dataName, flags);
    nameItem->setIcon(entryIcon());
    QStandardItem* sizeItem = rowItem(SizeTexts::megabytesText(entry.dataSize), flags);
    sizeItem->setTextAlignment(RightCentred);
    model_->appendRow({numberItem, nameItem, sizeItem});
}

void CardAudioTreeView::addPlaceholderRow(const QString& number, const QString& name,
                                          const QString& size) {
    const Qt::ItemFlags flags = Qt::ItemIsEnabled;
    QStandardItem* numberItem = rowItem(number, flags);
    numberItem->setTextAlignment(RightCentred);
    QStandardItem* sizeItem = rowItem(size, flags);
    sizeItem->setTextAlignment(RightCentred);
    model_->appendRow({numberItem, rowItem(name, flags), sizeItem});
}

// ---------------------------------------------------------------- columns

void CardAudioTreeView::setUpColumns() {
    model_->setHorizontalHeaderLabels({tr("File"), tr("Data Name"), tr("Size")});
    header()->setSectionResizeMode(NumberColumn, QHeaderView::ResizeToContents);
    header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    header()->setSectionResizeMode(SizeColumn, QHeaderView::ResizeToContents);
    applyFollowedWidths();
}

int CardAudioTreeView::textColumnWidth(const QString& widest) const {
    return fontMetrics().horizontalAdvance(widest) + ColumnPadding;
}

int CardAudioTreeView::sizeHintForColumn(int column) const {
    const int own = AbstractTreeView::sizeHintForColumn(column);
    if (column == NumberColumn)
        return std::max(own,
                        textColumnWidth(QString::number(file::CardAudioControlFile::kMaxEntries)));
    if (column == SizeColumn) {
        const QString widest = SizeTexts::megabytesText(std::numeric_limits<qint32>::max());
        return std::max(own, textColumnWidth(widest));
    }
    return own;
}

void CardAudioTreeView::setColumnNewWidth(int column, int width) {
    if (column < 0 || column >= model_->columnCount() || width < 0)
        return;
    followedWidths_.insert(column, width);
    applyFollowedWidths();
}

void CardAudioTreeView::applyFollowedWidths() {
    for (auto it = followedWidths_.cbegin(); it != followedWidths_.cend(); ++it) {
        header()->setSectionResizeMode(it.key(), QHeaderView::Interactive);
        header()->resizeSection(it.key(), it.value());
    }
}

void CardAudioTreeView::setHorizontalScrollBarPos(int position) {
    horizontalScrollBar()->setValue(position);
}

void CardAudioTreeView::resizeEvent(QResizeEvent* event) {
    AbstractTreeView::resizeEvent(event);
    emit resized();
}

// ---------------------------------------------------------------- dragging

std::optional<file::CardAudioEntry> CardAudioTreeView::entryAtRow(int row) const {
    if (!cardLoaded_)
        return std::nullopt;
    return isRecordable() ? controlFile_.findRecordableByPosition(row)
                          : controlFile_.findPlayOnlyByPosition(row);
}

QList<int> CardAudioTreeView::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows(NumberColumn)) {
        if (!index.data(FileNameRole).toString().isEmpty())
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

data::MimeData* CardAudioTreeView::createDragData() {
    QVariantList entries;
    QList<QUrl> files;
    const QDir folder(audioFolder());
    for (int row : selectedRows()) {
        const std::optional<file::CardAudioEntry> entry = entryAtRow(row);
        // An empty slot of the recorder has no audio to take along.
        if (!entry || (entry->isRecordable() && entry->dataSize == 0))
            continue;
        entries.append(QVariant::fromValue(*entry));
        files.append(QUrl::fromLocalFile(folder.filePath(entry->fileName())));
    }
    if (files.isEmpty())
        return nullptr;
    auto* mime = new data::MimeData();
    mime->setUrls(files);
    mime->setEntries(entries);
    mime->setFromPlayOnlyList(!isRecordable());
    // Only the play-only list deletes; the trash need not offer itself to
    // the other.
    mime->setDeletable(!isRecordable());
    return mime;
}

QPixmap CardAudioTreeView::dragPixmap() const {
    return fadedDragPicture(entryIcon());
}

// ---------------------------------------------------------------- dropping

bool CardAudioTreeView::acceptsDrop(const QMimeData*) const {
    return false;
}

void CardAudioTreeView::dropped(const QMimeData*) {}

void CardAudioTreeView::acceptAsCopy(QDropEvent* event) const {
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CardAudioTreeView::dragEnterEvent(QDragEnterEvent* event) {
    acceptAsCopy(event);
}

void CardAudioTreeView::dragMoveEvent(QDragMoveEvent* event) {
    acceptAsCopy(event);
}

void CardAudioTreeView::dropEvent(QDropEvent* event) {
    acceptAsCopy(event);
    if (event->isAccepted())
        dropped(event->mimeData());
}

} // namespace zel::qmix::gui
