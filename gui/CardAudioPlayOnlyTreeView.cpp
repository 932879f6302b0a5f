#include "gui/CardAudioPlayOnlyTreeView.h"

#include "app/MessageDialog.h"
#include "comm/CommandConnections.h"
#include "comm/CommandErrorCode.h"
#include "comm/CommandReplies.h"
#include "comm/FileCopyCommandResult.h"
#include "comm/KeyboardCommunicator.h"
#include "data/MimeData.h"
#include "file/AbstractFile.h"
#include "file/CardFileProtection.h"
#include "file/FileNaming.h"

#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QUrl>

#include <algorithm>

namespace zel::qmix::gui {

namespace {

// A new entry is added, none replaced.
constexpr int NoReplacement = -1;
constexpr qint64 WholeFile = -1;

// An audio file moved out of the way under a free name of the same folder,
// so that it can come back when the control file cannot be written.
struct SetAsideFile {
    QString original;
    QString aside;
};

bool setAside(const QDir& folder, const QString& name, SetAsideFile& moved) {
    const QString original = folder.filePath(name);
    file::CardFileProtection::unprotect(original);
    const QString aside = file::FileNaming::freePath(folder, name, QStringLiteral(".deleting"));
    if (!QFile::rename(original, aside)) {
        file::CardFileProtection::protect(original);
        return false;
    }
    moved = {original, aside};
    return true;
}

void putBack(const SetAsideFile& moved) {
    QFile::rename(moved.aside, moved.original);
    file::CardFileProtection::protect(moved.original);
}

} // namespace

CardAudioPlayOnlyTreeView::CardAudioPlayOnlyTreeView(QWidget* parent)
    : CardAudioTreeView(parent) {
    setAccessibleName(tr("Play-Only Files"));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &CardAudioPlayOnlyTreeView::horizontalScrollBarPosChanged);
}

QString CardAudioPlayOnlyTreeView::importTitle(const QString& path) {
    return tr("Importing ") + QLatin1Char('"') + QFileInfo(path).fileName() + QLatin1Char('"');
}

void CardAudioPlayOnlyTreeView::showCardGone() {
    reload();
    emit allReloadRequired();
}

// ---------------------------------------------------------------- import

bool CardAudioPlayOnlyTreeView::acceptsDrop(const QMimeData* mime) const {
    if (!mime || !isCardLoaded())
        return false;
    if (const auto* ours = qobject_cast<const data::MimeData*>(mime)) {
        // Card entries are on the card already; keyboard areas are no files.
        if (!ours->entries().isEmpty() || ours->hasAreas() || ours->isEntireKeyboard())
            return false;
    }
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

void CardAudioPlayOnlyTreeView::dropped(const QMimeData* mime) {
    if (!isCardPresent()) {
        showCardGone();
        return;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            importFile(url.toLocalFile());
    }
}

comm::CommandConnections CardAudioPlayOnlyTreeView::importConnections() const {
    comm::CommandConnections connections;
    connections.replies = comm::CommandReplies::to(this)
                              .started(&CardAudioTreeView::commandStarted)
                              .finished(&CardAudioPlayOnlyTreeView::onFinishCommand)
                              .percentProgress(&CardAudioTreeView::commandProgress);
    connections.controls = commandControlSource();
    return connections;
}

void CardAudioPlayOnlyTreeView::importFile(const QString& path) {
    if (!communicator())
        return;
    communicator()->registerWaveFileCopyToSdCommand(path, audioFolder(), NoReplacement, WholeFile,
                                                    importTitle(path), importConnections());
    emit newCommandRegistered();
}

void CardAudioPlayOnlyTreeView::onFinishCommand(QVariant result) {
    if (result.canConvert<comm::FileCopyCommandResult>()) {
        const auto copy = result.value<comm::FileCopyCommandResult>();
        MessageDialog::requestCommandError(comm::CommandErrorCode::T(copy.errorCode),
                                           QFileInfo(copy.sourcePath).fileName());
    }
    emit allReloadRequired();
    emit commandFinished(result);
}

// ---------------------------------------------------------------- trash

QStringList
CardAudioPlayOnlyTreeView::selectedFileNames(const file::CardAudioControlFile& control) const {
    // By file name rather than by position: the card may have changed since
    // it was listed, and the entry the user saw is the one to go.
    QStringList names;
    for (int row : selectedRows()) {
        const QString name = itemModel()->item(row, NumberColumn)->data(FileNameRole).toString();
        const bool listed = std::any_of(control.entries().cbegin(), control.entries().cend(),
                                        [&name](const file::CardAudioEntry& e) {
                                            return e.isPlayOnly() && e.fileName() == name;
                                        });
        if (listed && !names.contains(name))
            names.append(name);
    }
    return names;
}

void CardAudioPlayOnlyTreeView::sendToTrash() {
    if (selectedRows().isEmpty())
        return;
    if (!isCardPresent()) {
        showCardGone();
        return;
    }
    file::CardAudioControlFile control;
    const int loaded = control.load(controlFilePath());
    if (loaded != file::FileOk) {
        // Saving what could be read would drop the rest of the list.
        MessageDialog::requestFileError(loaded,
                                        QLatin1String(file::CardAudioControlFile::kFileName));
        showCardGone();
        return;
    }

    // The files are only moved aside until the control file no longer names
    // them; if it cannot be written they come back.
    const QDir folder(audioFolder());
    QList<SetAsideFile> moved;
    bool deleteFailed = false;
    for (const QString& name : selectedFileNames(control)) {
        if (!QFileInfo::exists(folder.filePath(name)))
            continue;
        SetAsideFile movedFile;
        if (!setAside(folder, name, movedFile)) {
            deleteFailed = true;
            break;
        }
        moved.append(movedFile);
    }
    control.removePlayOnlyEntriesWithoutFile(folder);
    const int saved = control.save(controlFilePath());
    for (const SetAsideFile& movedFile : moved) {
        if (saved != file::FileOk)
            putBack(movedFile);
        else if (!QFile::remove(movedFile.aside))
            deleteFailed = true;
    }

    if (deleteFailed)
        MessageDialog::requestCommandError(comm::CommandErrorCode::FileWriteError);
    else if (saved != file::FileOk)
        MessageDialog::requestFileError(saved);
    emit allReloadRequired();
}

} // namespace zel::qmix::gui
