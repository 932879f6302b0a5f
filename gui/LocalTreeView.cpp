#include "gui/LocalTreeView.h"

#include "app/MessageDialog.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CommandConnections.h"
#include "comm/CommandErrorCode.h"
#include "comm/CommandReplies.h"
#include "comm/KeyboardCommunicator.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"
#include "file/FileNaming.h"
#include "gui/LocalTreeViewDelegate.h"
#include "gui/LocalTreeViewSortFilterProxyModel.h"
#include "gui/SizeTexts.h"

#include <QDate>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QStandardItemModel>

#include <algorithm>

namespace zel::qmix::gui {

namespace {

QStringList headerLabels() {
    return {LocalTreeView::tr("File Name"), LocalTreeView::tr("Size")};
}

comm::BulkReceiveCommandResult receiveResultOf(const QVariant& v) {
    if (v.metaType() == QMetaType::fromType<comm::BulkReceiveCommandResult>())
        return v.value<comm::BulkReceiveCommandResult>();
    // Anything else is a receive that did not happen.
    return comm::BulkReceiveCommandResult();
}

bool isSameFolder(const QDir& a, const QDir& b) {
    return a.canonicalPath() == b.canonicalPath();
}

} // namespace

LocalTreeView::LocalTreeView(QWidget* parent)
    : AbstractTreeView(parent)
    , model_(new QStandardItemModel(this))
    , proxy_(new LocalTreeViewSortFilterProxyModel(this))
    , delegate_(new LocalTreeViewDelegate(this)) {
    proxy_->setSourceModel(model_);
    setModel(proxy_);
    setItemDelegate(delegate_);
    setRootIsDecorated(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setSortingEnabled(true);
    sortByColumn(NameColumn, Qt::AscendingOrder);
    setAccessibleName(tr("PC Files"));
    model_->setHorizontalHeaderLabels(headerLabels());

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LocalTreeView::emitSelectedFileName);
    connect(delegate_, &LocalTreeViewDelegate::fileRenamed, this, &LocalTreeView::fileRenamed);
}

LocalTreeView::~LocalTreeView() = default;

QString LocalTreeView::sizeText(qint64 bytes) {
    return SizeTexts::bytes(bytes);
}

void LocalTreeView::setCommunicator(comm::KeyboardCommunicator* communicator) {
    communicator_ = communicator;
}

void LocalTreeView::setCommandControlSource(const comm::CommandControlSource& source) {
    controlSource_ = source;
}

QStringList LocalTreeView::selectedFilePaths() const {
    QStringList paths;
    const QModelIndexList rows = selectionModel()->selectedRows(NameColumn);
    for (const QModelIndex& row : rows) {
        const QString path = row.data(PathRole).toString();
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

// ---------------------------------------------------------------- listing

void LocalTreeView::reload(data::const_DataCategory* category) {
    category_ = category;
    if (!category) {
        reload(QFileInfoList(), QIcon());
        return;
    }
    QStringList filters;
    for (const QString& extension : category->extensions())
        filters.append(QLatin1Char('*') + extension);
    reload(listedDirectory(), filters, category->largeIcon());
}

void LocalTreeView::reload(QDir dir, QStringList fileNameFilters, QIcon icon) {
    reload(dir.entryInfoList(fileNameFilters, QDir::Files, QDir::Unsorted), icon);
}

void LocalTreeView::reload() {
    reload(category_);
}

void LocalTreeView::reload(QFileInfoList files, QIcon icon) {
    QList<int> widths;
    for (int column = 0; column < model_->columnCount(); ++column)
        widths.append(header()->sectionSize(column));
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();

    model_->clear();
    if (files.isEmpty()) {
        addNoFileRow();
    } else {
        for (const QFileInfo& file : files)
            addFileRow(file, icon);
    }
    selectionModel()->clearSelection();
    emit selected(QStringList());

    model_->setHorizontalHeaderLabels(headerLabels());
    for (int column = 0; column < widths.size() && column < model_->columnCount(); ++column)
        header()->resizeSection(column, widths.at(column));
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);
}

void LocalTreeView::addNoFileRow() {
    auto* name = new QStandardItem(tr("No File"));
    auto* size = new QStandardItem(QStringLiteral("-"));
    name->setFlags(Qt::ItemIsEnabled);
    size->setFlags(Qt::ItemIsEnabled);
    size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    model_->appendRow({name, size});
}

void LocalTreeView::addFileRow(const QFileInfo& file, const QIcon& icon) {
    auto* name = new QStandardItem(icon, file.fileName());
    name->setData(file.absoluteFilePath(), PathRole);
    if (iconSize().isValid())
        name->setSizeHint(iconSize());
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
                   Qt::ItemIsDragEnabled);

    auto* size = new QStandardItem(sizeText(file.size()));
    size->setData(file.size(), SizeRole);
    size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    size->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    model_->appendRow({name, size});
}

void LocalTreeView::emitSelectedFileName(QItemSelection, QItemSelection) {
    emit selected(selectedFilePaths());
}

// --------------------------------------------------------------- deleting

bool LocalTreeView::deleteSelectedFile() {
    const QStringList paths = selectedFilePaths();
    QStringList failed;
    bool changed = false;
    for (const QString& path : paths) {
        const QFileInfo file(path);
        if (!file.exists() && !file.isSymLink()) {
            // Gone meanwhile: what the user wanted anyway.
            changed = true;
            continue;
        }
        // Only plain files are ever listed; a folder that took a listed
        // name meanwhile is not the user's choice.
        if (file.isDir()) {
            failed.append(file.fileName());
            continue;
        }
        // The desktop's trash keeps a way back; where there is none the
        // file is removed.
        if (QFile::moveToTrash(path) || QFile::remove(path))
            changed = true;
        else
            failed.append(file.fileName());
    }
    if (changed) {
        reload();
        emit fileDeleted();
    }
    if (!failed.isEmpty())
        MessageDialog::requestFileError(file::FileCannotWrite, failed.join(QLatin1Char('\n')));
    return failed.isEmpty();
}

void LocalTreeView::sendToTrash() {
    deleteSelectedFile();
}

// ----------------------------------------------------------------- drags

data::MimeData* LocalTreeView::createDragData() {
    const QStringList paths = selectedFilePaths();
    if (paths.isEmpty())
        return nullptr;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    auto* mime = new data::MimeData();
    mime->setUrls(urls);
    mime->setCategory(category_);
    mime->setDeletable(true);
    return mime;
}

bool LocalTreeView::acceptsDrop(const QMimeData* mime) const {
    if (!mime)
        return false;
    if (const auto* ours = qobject_cast<const data::MimeData*>(mime)) {
        // Rows of this list dropped back on it would only copy files onto
        // themselves.
        if (ours->sourceView() == this)
            return false;
        if (ours->isEntireKeyboard() || ours->hasAreas())
            return true;
    }
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void LocalTreeView::dragEnterEvent(QDragEnterEvent* event) {
    acceptAsCopy(event);
}

void LocalTreeView::dragMoveEvent(QDragMoveEvent* event) {
    acceptAsCopy(event);
}

void LocalTreeView::acceptAsCopy(QDropEvent* event) const {
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void LocalTreeView::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    if (!acceptsDrop(mime)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const auto* ours = qobject_cast<const data::MimeData*>(mime);
    if (ours && ours->isEntireKeyboard())
        emit entiretyKeyboardDropped();
    else if (ours && ours->hasAreas())
        receiveAreas(ours->category(), ours->areaNumbers());
    else
        copyFilesIn(mime->urls());
}

// --------------------------------------------------------------- receiving

void LocalTreeView::receiveAreas(const data::DataCategory* category, const QList<int>& areas) {
    if (!communicator_ || !category || areas.isEmpty())
        return;
    // Once for the whole drop: an unwritable folder is one problem, and is
    // told before the keyboard is touched.
    const QDir folder = listedDirectory();
    if (!file::FileNaming::canCreateFileIn(folder)) {
        MessageDialog::requestCommandError(comm::CommandErrorCode::FileWriteError,
                                           QDir::toNativeSeparators(folder.absolutePath()));
        return;
    }
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    for (int area : areas) {
        const QString title =
            QStringLiteral("Receiving from ") +
            data::KeyboardInfo::areaName(category, model->shownAreaNumber(category, area));
        comm::CommandConnections connections;
        connections.replies = comm::CommandReplies::to(this)
                                  .started(&LocalTreeView::emitCommandTitle)
                                  .finished(&LocalTreeView::onFinishBulkReceive)
                                  .progress(&LocalTreeView::emitCommandProgress);
        connections.controls = controlSource_;
        communicator_->registerBulkReceiveCommand(category->id(), area, title, connections);
        emit newCommandRegistered();
    }
}

void LocalTreeView::emitCommandTitle(QVariant v) {
    emit commandStarted(v);
}

void LocalTreeView::emitCommandProgress(int a, int b) {
    emit commandProgress(a, b);
}

void LocalTreeView::onFinishBulkReceive(QVariant v) {
    const comm::BulkReceiveCommandResult result = receiveResultOf(v);
    emit commandFinished(v);
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const data::DataCategory* category = data::categoryFromId(result.category, result.areaNumber);
    if (!result.succeeded) {
        MessageDialog::requestCommandError(
            comm::CommandErrorCode::T(result.errorCode),
            model->keyboardAreaName(result.category, result.areaNumber));
        return;
    }
    if (model->isSecondGeneration() && communicator_)
        communicator_->registerMultipleBulkSendEndCommand(
            result.category, result.areaNumber,
            comm::CommandReplies::to(this).finished(&LocalTreeView::onFinishSeriesEnd));
    if (!category) {
        // Bytes of a category this program does not know cannot be filed.
        MessageDialog::requestCommandError(comm::CommandErrorCode::FileFormatError, result.name);
        return;
    }
    saveReceived(category, result.data, result.name);
}

// Closing the series checks the sends made in it, which may have been
// queued before this receive.
void LocalTreeView::onFinishSeriesEnd(QVariant v) {
    MessageDialog::requestSendError(v.value<comm::BulkSendCommandResult>());
}

void LocalTreeView::saveReceived(const data::DataCategory* category, const QByteArray& bytes,
                                 const QString& dataName) {
    const QString path = file::FileNaming::receivedItemPath(listedDirectory(), category, dataName,
                                                            data::KeyboardInfo::currentModel(),
                                                            QDate::currentDate());
    QSharedPointer<file::AbstractFile> item = file::CategoryFiles::createFile(category);
    item->setData(bytes);
    // The save replaces atomically: a failure leaves no partial file behind.
    const int saved = item->save(path);
    if (saved != file::FileOk) {
        MessageDialog::requestFileError(saved, QDir::toNativeSeparators(path));
        return;
    }
    reload();
}

// ----------------------------------------------------------------- copying

void LocalTreeView::copyFilesIn(const QList<QUrl>& urls) {
    const QDir folder = listedDirectory();
    QStringList failed;
    bool copied = false;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo source(url.toLocalFile());
        // Folders are not data files; files already listed here stay as they are.
        if (!source.isFile() || isSameFolder(source.absoluteDir(), folder))
            continue;
        const QString extension =
            source.suffix().isEmpty() ? QString() : QLatin1Char('.') + source.suffix();
        const QString target =
            file::FileNaming::freePath(folder, source.completeBaseName(), extension);
        // QFile::copy never replaces an existing file.
        if (QFile::copy(source.absoluteFilePath(), target))
            copied = true;
        else
            failed.append(source.fileName());
    }
    if (copied)
        reload();
    if (!failed.isEmpty())
        MessageDialog::requestFileError(file::FileCannotWrite, failed.join(QLatin1Char('\n')));
}

} // namespace zel::qmix::gui
