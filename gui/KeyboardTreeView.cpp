#include "gui/KeyboardTreeView.h"

#include "app/MessageDialog.h"
#include "comm/AreaData.h"
#include "comm/AreaDeleteCommandInfo.h"
#include "comm/AreaDeleteCommandResult.h"
#include "comm/BulkDumpCommand.h"
#include "comm/BulkSendCommandInfo.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CategoryMemoryCommandInfo.h"
#include "comm/CategoryMemoryCommandResult.h"
#include "comm/CommandReplies.h"
#include "comm/KeyboardCommunicator.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "etc/AlwaysYesChecker.h"
#include "file/CategoryFiles.h"
#include "gui/SizeTexts.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QStandardItemModel>

#include <algorithm>

namespace zel::qmix::gui {

namespace {

constexpr int RowStateRole = Qt::UserRole + 101;
constexpr int UsedRole = Qt::UserRole + 102;

constexpr int AreaDataLoadLevel = comm::KeyboardCommunicator::MemoryLevel;
// Reading an area straight after a send, ahead of the sends still waiting.
constexpr int AreaDataReloadLevel = 2;
constexpr int SongCategory = 33;

const QString SendPicture = QStringLiteral(":/lcd/loading.lcd");
const QString ClearPicture = QStringLiteral(":/lcd/deleting.lcd");

constexpr Qt::Alignment RightCentred = Qt::AlignRight | Qt::AlignVCenter;

QStandardItem* readOnlyItem(const QString& text = QString()) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setDropEnabled(false);
    return item;
}

// What the start of a send or a clear tells: its title, category and area.
struct StartInfo {
    QString title;
    int category = -1;
    int areaNumber = -1;
};

StartInfo startInfoOf(const QVariant& info) {
    if (info.canConvert<comm::BulkSendCommandInfo>()) {
        const auto send = info.value<comm::BulkSendCommandInfo>();
        return {send.name, send.category, send.areaNumber};
    }
    if (info.canConvert<comm::AreaDeleteCommandInfo>()) {
        const auto clear = info.value<comm::AreaDeleteCommandInfo>();
        return {clear.name, clear.category, clear.areaNumber};
    }
    return {info.toString(), -1, -1};
}

// How a send or a clear ended. A result of an unknown kind counts as a
// failure of nothing in particular.
struct EndInfo {
    int errorCode = comm::CommandErrorCode::CommunicationError;
    int category = -1;
    int areaNumber = -1;
};

EndInfo endInfoOf(const QVariant& result) {
    if (result.canConvert<comm::BulkSendCommandResult>()) {
        const auto send = result.value<comm::BulkSendCommandResult>();
        return {send.errorCode, send.category, send.areaNumber};
    }
    if (result.canConvert<comm::AreaDeleteCommandResult>()) {
        const auto clear = result.value<comm::AreaDeleteCommandResult>();
        return {clear.errorCode, clear.category, clear.areaNumber};
    }
    return {};
}

} // namespace

QString KeyboardTreeView::loadingText() {
    return QStringLiteral("<Loading>");
}

QString KeyboardTreeView::queuedText() {
    return QStringLiteral("<Queued>");
}

QString KeyboardTreeView::errorText() {
    return QStringLiteral("<Error>");
}

QString KeyboardTreeView::sizeText(qint64 bytes) {
    return SizeTexts::bytes(bytes);
}

int KeyboardTreeView::memoryPercent(int used, int total, int reserved) {
    const qint64 inUse = qint64(used) - reserved;
    const qint64 available = std::max<qint64>(0, qint64(total) - reserved);
    if (inUse <= 0)
        return 0;
    // A keyboard that reports no room but data in use is as good as full.
    if (available == 0)
        return 99;
    return int(std::clamp<qint64>(inUse * 100 / available, 1, 99));
}

KeyboardTreeView::KeyboardTreeView(QWidget* parent)
    : RemoteTreeView(parent)
    , model_(new QStandardItemModel(this))
    , clearChecker_(new etc::AlwaysYesChecker(this)) {
    setModel(model_);
    setAccessibleName(tr("Keyboard Data"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    loadTimer_.setSingleShot(true);
    loadTimer_.setInterval(LoadDelayMs);
    connect(&loadTimer_, &QTimer::timeout, this, &KeyboardTreeView::areaDataLoadTimerSlot);
    appendEmptyRow();
    setUpColumns();
}

KeyboardTreeView::~KeyboardTreeView() = default;

void KeyboardTreeView::setCommunicator(comm::KeyboardCommunicator* communicator) {
    communicator_ = communicator;
}

void KeyboardTreeView::setReplaceChecker(etc::GenericChecker* checker) {
    replaceChecker_ = checker;
}

void KeyboardTreeView::setCommandControlSource(const comm::CommandControlSource& source) {
    controlSource_ = source;
}

// ---------------------------------------------------------------- rows

bool KeyboardTreeView::isConnected() const {
    return communicator_ && communicator_->isConnected();
}

const data::KeyboardInfo* KeyboardTreeView::keyboard() const {
    return data::KeyboardInfo::currentModel();
}

int KeyboardTreeView::areaNumberOf(int row) const {
    return keyboard()->areaOffset(category_) + row;
}

bool KeyboardTreeView::isAreaRow(int row) const {
    return showsAreas_ && category_ && row >= 0 && row < keyboard()->areaCount(category_) &&
           row < model_->rowCount();
}

KeyboardTreeView::Target KeyboardTreeView::targetOf(int categoryCode, int areaNumber) const {
    Target target;
    target.category = data::categoryFromId(categoryCode, areaNumber);
    if (target.category)
        target.row = areaNumber - keyboard()->areaOffset(target.category);
    return target;
}

QStandardItem* KeyboardTreeView::nameItem(int row) const {
    return model_->item(row, NameColumn);
}

QStandardItem* KeyboardTreeView::sizeItem(int row) const {
    return model_->item(row, SizeColumn);
}

KeyboardTreeView::RowState KeyboardTreeView::rowState(int row) const {
    const QStandardItem* item = nameItem(row);
    return item ? RowState(item->data(RowStateRole).toInt()) : RowState::Loaded;
}

void KeyboardTreeView::setRowState(int row, RowState state) {
    QStandardItem* name = nameItem(row);
    QStandardItem* size = sizeItem(row);
    if (!name || !size)
        return;
    name->setData(int(state), RowStateRole);
    name->setData(false, UsedRole);
    name->setIcon(QIcon());
    switch (state) {
    case RowState::Loading:
        name->setText(loadingText());
        break;
    case RowState::Queued:
        name->setText(queuedText());
        break;
    case RowState::Error:
        name->setText(errorText());
        break;
    case RowState::Loaded:
        name->setText(QString());
        break;
    }
    size->setText(QString());
    size->setData(QVariant(), SizeRole);
}

void KeyboardTreeView::showAreaData(int row, const data::DataCategory* category, bool used,
                                    const QString& name, int size) {
    setRowState(row, RowState::Loaded);
    if (!used)
        return;
    QStandardItem* nameCell = nameItem(row);
    nameCell->setData(true, UsedRole);
    nameCell->setText(name);
    nameCell->setIcon(category->smallIcon());
    sizeItem(row)->setText(sizeText(size));
    sizeItem(row)->setData(size, SizeRole);
}

comm::ExpectedArea KeyboardTreeView::expectedAreaOf(int row) const {
    comm::ExpectedArea expected;
    // Only an area whose state was read can be held against the keyboard.
    if (rowState(row) != RowState::Loaded)
        return expected;
    expected.check = true;
    expected.used = nameItem(row)->data(UsedRole).toBool();
    if (expected.used) {
        expected.name = nameItem(row)->text();
        expected.size = sizeItem(row)->data(SizeRole).toInt();
    }
    return expected;
}

QList<int> KeyboardTreeView::selectedAreaRows() const {
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows(AreaColumn)) {
        if (isAreaRow(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool KeyboardTreeView::isIgnored(const data::DataCategory* category, int row) const {
    return ignoredRows_.value(category).contains(row);
}

void KeyboardTreeView::ignoreRow(int row) {
    ignoredRows_[category_].insert(row);
    setRowState(row, RowState::Queued);
}

void KeyboardTreeView::releaseRow(const data::DataCategory* category, int row) {
    auto rows = ignoredRows_.find(category);
    if (rows != ignoredRows_.end())
        rows->remove(row);
}

void KeyboardTreeView::appendAreaRows() {
    const data::KeyboardInfo* current = keyboard();
    const int count = current->areaCount(category_);
    const QSet<int> ignored = ignoredRows_.value(category_);
    for (int row = 0; row < count; ++row) {
        const int shown = current->shownAreaNumber(category_, areaNumberOf(row));
        QStandardItem* area = readOnlyItem(QString::number(shown));
        area->setTextAlignment(RightCentred);
        QStandardItem* size = readOnlyItem();
        size->setTextAlignment(RightCentred);
        model_->appendRow({area, readOnlyItem(), size});
        setRowState(row, ignored.contains(row) ? RowState::Queued : RowState::Loading);
    }
    showsAreas_ = true;
}

void KeyboardTreeView::appendEmptyRow() {
    model_->appendRow({readOnlyItem(), readOnlyItem(), readOnlyItem()});
    nameItem(0)->setData(int(RowState::Loaded), RowStateRole);
    showsAreas_ = false;
}

void KeyboardTreeView::setUpColumns() {
    model_->setHorizontalHeaderLabels({tr("Area"), tr("Data Name"), tr("Size")});
    model_->horizontalHeaderItem(AreaColumn)->setTextAlignment(RightCentred);
    model_->horizontalHeaderItem(SizeColumn)->setTextAlignment(RightCentred);
    QHeaderView* columns = header();
    columns->setStretchLastSection(false);
    columns->setSectionResizeMode(AreaColumn, QHeaderView::ResizeToContents);
    columns->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(SizeColumn, QHeaderView::ResizeToContents);
    // Never narrower than five letters M, however short the numbers are.
    const int areaWidth = 5 * QFontMetrics(font()).horizontalAdvance(QLatin1Char('M'));
    model_->horizontalHeaderItem(AreaColumn)
        ->setSizeHint(QSize(areaWidth, columns->sizeHint().height()));
}

// ---------------------------------------------------------------- showing

void KeyboardTreeView::reload(data::const_DataCategory* category) {
    if (category != category_) {
        scrollToTop();
        // Reads of the category left behind would only delay the new one's.
        if (communicator_)
            communicator_->dropQueuedCommands(AreaDataLoadLevel);
    }
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();
    category_ = category;
    retryCount_ = 0;
    // Answers to reads registered before still arrive and are used; a
    // reconnection drops them unanswered, so nothing is taken as pending.
    pendingLoads_.clear();
    model_->clear();
    reloadMemoryBar(category, false);
    if (isConnected() && category_ && keyboard()->areaCount(category_) > 0) {
        appendAreaRows();
        restartLoadTimer();
    } else {
        loadTimer_.stop();
        appendEmptyRow();
    }
    setUpColumns();
    // The scroll ranges follow the new rows only once they are laid out.
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);
}

void KeyboardTreeView::reload() {
    reload(category_);
}

void KeyboardTreeView::applyDataPackage(data::const_DataPackage* package) {
    if (!package || !showsAreas_)
        return;
    for (const data::DataPackageElement& element : package->elementsOf(category_)) {
        const int row = element.areaNum;
        if (isAreaRow(row) && !isIgnored(category_, row) && rowState(row) != RowState::Queued)
            setRowState(row, RowState::Loading);
    }
    restartLoadTimer();
}

void KeyboardTreeView::clearIgnoreRow() {
    const QSet<int> rows = ignoredRows_.value(category_);
    ignoredRows_.clear();
    for (int row : rows) {
        if (isAreaRow(row) && rowState(row) == RowState::Queued)
            setRowState(row, RowState::Loading);
    }
    restartLoadTimer();
}

// ---------------------------------------------------------------- lazy loading

bool KeyboardTreeView::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
    case QEvent::Resize:
    case QEvent::Wheel:
    case QEvent::Show:
        restartLoadTimer();
        break;
    default:
        break;
    }
    return RemoteTreeView::viewportEvent(event);
}

void KeyboardTreeView::scrollContentsBy(int dx, int dy) {
    RemoteTreeView::scrollContentsBy(dx, dy);
    restartLoadTimer();
}

void KeyboardTreeView::restartLoadTimer() {
    if (showsAreas_)
        loadTimer_.start();
}

void KeyboardTreeView::areaDataLoadTimerSlot() {
    if (!showsAreas_ || !communicator_ || !category_)
        return;
    const int count = std::min(model_->rowCount(), keyboard()->areaCount(category_));
    if (count == 0)
        return;
    const QModelIndex top = indexAt(QPoint(0, 0));
    const QModelIndex bottom = indexAt(QPoint(0, viewport()->height() - 1));
    const int first = top.isValid() ? top.row() : 0;
    const int last = bottom.isValid() ? bottom.row() : count - 1;
    const int from = std::max(0, first - LoadMargin);
    const int to = std::min(count - 1, last + LoadMargin);
    for (int row = from; row <= to; ++row) {
        const AreaKey key(category_->id(), areaNumberOf(row));
        if (rowState(row) == RowState::Loading && !isIgnored(category_, row) &&
            !pendingLoads_.contains(key))
            registerAreaDataLoad(key.first, key.second, AreaDataLoadLevel);
    }
}

void KeyboardTreeView::registerAreaDataLoad(int categoryCode, int areaNumber, int level) {
    if (!communicator_)
        return;
    pendingLoads_.insert(AreaKey(categoryCode, areaNumber));
    communicator_->registerAreaDataCommand(
        categoryCode, areaNumber, level,
        comm::CommandReplies::to(this).finished(&KeyboardTreeView::onFinishAreaDataLoad));
}

void KeyboardTreeView::onFinishAreaDataLoad(QVariant result) {
    if (!result.canConvert<comm::AreaData>())
        return;
    const auto area = result.value<comm::AreaData>();
    pendingLoads_.remove(AreaKey(area.category, area.areaNumber));
    const Target target = targetOf(area.category, area.areaNumber);
    if (!category_ || target.category != category_ || !isAreaRow(target.row) ||
        isIgnored(category_, target.row))
        return;
    if (area.failed == 0) {
        showAreaData(target.row, target.category, area.used, area.name, area.size);
        return;
    }
    retryOrGiveUp(target.row);
}

void KeyboardTreeView::retryOrGiveUp(int row) {
    if (retryCount_ < MaxRetries) {
        ++retryCount_;
        registerAreaDataLoad(category_->id(), areaNumberOf(row), AreaDataLoadLevel);
        return;
    }
    if (retryCount_ == MaxRetries)
        giveUpLoading();
    setRowState(row, RowState::Error);
}

void KeyboardTreeView::giveUpLoading() {
    ++retryCount_;
    if (communicator_)
        communicator_->dropQueuedCommands(AreaDataLoadLevel);
    pendingLoads_.clear();
    MessageDialog::requestCommandError(comm::CommandErrorCode::CommunicationError);
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (rowState(row) == RowState::Loading && !isIgnored(category_, row))
            setRowState(row, RowState::Error);
    }
    // The memory query waited at the same level and is gone with the loads.
    if (memoryQueryPending_) {
        memoryQueryPending_ = false;
        emit notifyCategoryMemoryError();
    }
}

// ---------------------------------------------------------------- memory bar

void KeyboardTreeView::reloadMemoryBar(data::const_DataCategory* category, bool notGet) {
    if (!isConnected() || !category || !category->hasMemoryGauge()) {
        emit notifyMemoryDisplayRequired(false);
        return;
    }
    emit notifyCategoryTotalMemory(0);
    emit notifyMemoryDisplayRequired(true);
    // While transfers wait or run the keyboard's figures are about to change
    // (and a second-generation series must not be interrupted); the end of
    // the transfers asks again.
    if (notGet || communicator_->hasQueuedCommands(comm::KeyboardCommunicator::TransferLevel) ||
        comm::BulkDumpCommand::isBulkTransferRunning())
        return;
    comm::CategoryMemoryCommandInfo info;
    info.areaSize = std::max(0, category->emptyDataSize());
    info.areaCount = keyboard()->areaCount(category);
    memoryQueryPending_ = true;
    communicator_->registerCategoryMemoryCommand(
        category->id(), info,
        comm::CommandReplies::to(this).finished(&KeyboardTreeView::onFinishCategoryMemoryLoad));
}

void KeyboardTreeView::reloadMemoryBar(data::const_DataCategory* category) {
    reloadMemoryBar(category, false);
}

void KeyboardTreeView::onFinishCategoryMemoryLoad(QVariant result) {
    memoryQueryPending_ = false;
    if (!result.canConvert<comm::CategoryMemoryCommandResult>())
        return;
    const auto memory = result.value<comm::CategoryMemoryCommandResult>();
    // An answer about a category no longer shown must not fill the bar.
    if (!category_ || memory.category != category_->id() || !category_->hasMemoryGauge())
        return;
    if (memory.failed != 0) {
        if (retryCount_ < MaxRetries) {
            ++retryCount_;
            reloadMemoryBar(category_, false);
        } else {
            emit notifyCategoryMemoryError();
        }
        return;
    }
    const int reserved = std::max(0, category_->emptyDataSize()) * keyboard()->areaCount(category_);
    emit requireCategoryMemoryReset();
    emit notifyCategoryTotalMemory(100);
    emit notifyCategoryCurrentMemory(memoryPercent(memory.usedSize, memory.totalSize, reserved));
    emit notifyCategoryMemoryOk();
}

// ---------------------------------------------------------------- sending

bool KeyboardTreeView::acceptsDrop(const QMimeData* mime, const QModelIndex& index) const {
    return RemoteTreeView::acceptsDrop(mime, index) && communicator_ && replaceChecker_ &&
           isAreaRow(index.row());
}

void KeyboardTreeView::filesDropped(const QStringList& paths, const QModelIndex& index) {
    // Several files go to consecutive areas from the one they were dropped on.
    int row = index.row();
    for (const QString& path : paths)
        sendFile(path, row++);
}

void KeyboardTreeView::sendFile(const QString& path, int row) {
    if (!communicator_ || !replaceChecker_ || !isAreaRow(row))
        return;
    const QString fileName = QFileInfo(path).fileName();
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            emit notifyError(comm::CommandErrorCode::FileReadError, path);
            return;
        }
    }
    int opened = 0;
    const QSharedPointer<file::AbstractFile> item =
        file::CategoryFiles::openFile(category_, path, keyboard()->modelName().trimmed(), &opened);
    if (!item) {
        MessageDialog::requestFileError(opened, fileName);
        return;
    }
    const comm::ExpectedArea expected = expectedAreaOf(row);
    ignoreRow(row);
    communicator_->registerBulkSendCommand(category_->id(), areaNumberOf(row), item->data(),
                                           QStringLiteral("Sending \"%1\"").arg(fileName),
                                           replaceChecker_, expected, sendConnections(),
                                           SendPicture);
    emit newCommandRegistered();
}

comm::CommandConnections KeyboardTreeView::sendConnections() const {
    return commandConnections(&KeyboardTreeView::onStartBulkSend,
                              &KeyboardTreeView::onFinishBulkSend);
}

comm::CommandConnections KeyboardTreeView::clearConnections() const {
    return commandConnections(&KeyboardTreeView::onStartAreaClear,
                              &KeyboardTreeView::onFinishAreaClear);
}

comm::CommandConnections KeyboardTreeView::commandConnections(ReplySlot started,
                                                              ReplySlot finished) const {
    comm::CommandConnections connections;
    connections.replies = comm::CommandReplies::to(this)
                              .started(started)
                              .finished(finished)
                              .progress(&KeyboardTreeView::emitCommandProgress)
                              .cancelDisable(&KeyboardTreeView::commandCancelDisableRequired);
    connections.controls = controlSource_;
    return connections;
}

void KeyboardTreeView::emitCommandProgress(int done, int total) {
    emit commandProgress(done, total);
}

void KeyboardTreeView::onStartBulkSend(QVariant info) {
    const StartInfo start = startInfoOf(info);
    reactToStart(start.title, start.category, start.areaNumber);
}

void KeyboardTreeView::onStartAreaClear(QVariant info) {
    const StartInfo start = startInfoOf(info);
    reactToStart(start.title, start.category, start.areaNumber);
}

void KeyboardTreeView::reactToStart(const QVariant& title, int categoryCode, int areaNumber) {
    emit commandStarted(title);
    const data::KeyboardInfo* current = keyboard();
    if (categoryCode == SongCategory && !current->skipsSongFollowUp())
        emit commandCancelDisableRequired();
    // Read the area again as soon as the send is over, ahead of the sends
    // still waiting. Second-generation keyboards keep the series of sends
    // open, which a read would break; their areas are read once it is closed.
    if (!current->isSecondGeneration() && categoryCode >= 0 && areaNumber >= 0)
        registerAreaDataLoad(categoryCode, areaNumber, AreaDataReloadLevel);
    reloadMemoryBar(category_, current->isSecondGeneration());
}

void KeyboardTreeView::onFinishBulkSend(QVariant result) {
    emit commandFinished(result);
    const EndInfo end = endInfoOf(result);
    reactToEnd(end.errorCode, end.category, end.areaNumber);
}

void KeyboardTreeView::onFinishAreaClear(QVariant result) {
    emit areaDeleteFinished();
    const EndInfo end = endInfoOf(result);
    reactToEnd(end.errorCode, end.category, end.areaNumber);
}

void KeyboardTreeView::reactToEnd(int errorCode, int categoryCode, int areaNumber) {
    const Target target = targetOf(categoryCode, areaNumber);
    if (errorCode != comm::CommandErrorCode::NoError &&
        errorCode != comm::CommandErrorCode::Canceled)
        emit notifyError(comm::CommandErrorCode::T(errorCode),
                         areaDetail(categoryCode, areaNumber));
    const bool secondGeneration = keyboard()->isSecondGeneration();
    bool seriesClosed = false;
    if (errorCode == comm::CommandErrorCode::NoError && secondGeneration && communicator_)
        seriesClosed = communicator_->registerMultipleBulkSendEndCommand(
            categoryCode, areaNumber,
            comm::CommandReplies::to(this).finished(&KeyboardTreeView::onFinishSeriesEnd));
    if (seriesClosed) {
        clearIgnoreRow();
    } else if (target.category) {
        // A first-generation area is read at once (the read was queued when
        // the send started); within an open series it waits for the end.
        if (!secondGeneration)
            releaseRow(target.category, target.row);
        if (target.category == category_ && isAreaRow(target.row))
            setRowState(target.row, RowState::Loading);
    }
    reloadMemoryBar(category_, false);
    restartLoadTimer();
}

// The closing command reads back what the series stored: an area that did
// not arrive whole is reported as the failed send it was. Its row shows
// what the keyboard holds once the rows are read again.
void KeyboardTreeView::onFinishSeriesEnd(QVariant result) {
    const auto closed = result.value<comm::BulkSendCommandResult>();
    if (closed.errorCode != comm::CommandErrorCode::NoError)
        emit notifyError(comm::CommandErrorCode::T(closed.errorCode),
                         areaDetail(closed.category, closed.areaNumber));
}

QString KeyboardTreeView::areaDetail(int categoryCode, int areaNumber) const {
    const Target target = targetOf(categoryCode, areaNumber);
    if (!target.category)
        return QString();
    return QStringLiteral("Send to %1 area %2")
        .arg(target.category->displayName())
        .arg(target.row + 1);
}

// ---------------------------------------------------------------- deleting

void KeyboardTreeView::clearSelectedArea() {
    if (!communicator_ || !category_ || !showsAreas_)
        return;
    // Only categories whose single areas the keyboard can empty: anything
    // else would be reported as cleared while the data stay.
    if (!category_->isDeletable())
        return;
    for (int row : selectedAreaRows())
        clearArea(row);
}

void KeyboardTreeView::sendToTrash() {
    clearSelectedArea();
}

void KeyboardTreeView::clearArea(int row) {
    if (isIgnored(category_, row))
        return;
    const data::KeyboardInfo* current = keyboard();
    const int area = areaNumberOf(row);
    const QString title =
        QStringLiteral("Deleting ") +
        data::KeyboardInfo::areaName(category_, current->shownAreaNumber(category_, area));
    const QByteArray empty = current->emptyData(category_->id(), area);
    ignoreRow(row);
    if (current->clearsWithEmptyData() && !empty.isEmpty()) {
        communicator_->registerBulkSendCommand(category_->id(), area, empty, title, clearChecker_,
                                               comm::ExpectedArea(), clearConnections(),
                                               ClearPicture);
    } else if (!communicator_->registerAreaDeleteCommand(category_->id(), area, title,
                                                         clearConnections())) {
        releaseRow(category_, row);
        setRowState(row, RowState::Loading);
        restartLoadTimer();
        return;
    }
    emit newCommandRegistered();
}

// ---------------------------------------------------------------- dragging

data::MimeData* KeyboardTreeView::createDragData() {
    const QList<int> rows = selectedAreaRows();
    if (rows.isEmpty() || !category_)
        return nullptr;
    QList<int> areas;
    for (int row : rows)
        areas.append(areaNumberOf(row));
    auto* mime = new data::MimeData();
    mime->setCategory(category_);
    mime->setAreaNumbers(areas);
    mime->setDeletable(category_->isDeletable());
    return mime;
}

} // namespace zel::qmix::gui
