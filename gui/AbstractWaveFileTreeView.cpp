#include "gui/AbstractWaveFileTreeView.h"

#include "audio/WaveFormatInfo.h"
#include "audio/WaveHeader.h"
#include "comm/CommandConnections.h"
#include "comm/CommandReplies.h"
#include "comm/FileCopyCommandResult.h"
#include "comm/KeyboardCommunicator.h"
#include "data/MimeData.h"
#include "etc/Settings.h"
#include "file/CardAudioControlFile.h"
#include "file/CardAudioEntry.h"
#include "gui/SizeTexts.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QStandardItemModel>
#include <QUrl>

#include <algorithm>

namespace zel::qmix::gui {

namespace {

using comm::CommandErrorCode;

bool holdsCardEntry(const QVariant& v) {
    return v.metaType() == QMetaType::fromType<file::CardAudioEntry>();
}

comm::FileCopyCommandResult copyResultOf(const QVariant& v) {
    if (v.metaType() == QMetaType::fromType<comm::FileCopyCommandResult>())
        return v.value<comm::FileCopyCommandResult>();
    // Anything else ended without an error and left no file to clear up.
    return comm::FileCopyCommandResult();
}

// The card file an entry stands for, as the card list put it on the drag.
// Only an absolute local path names it: anything else would be looked up
// relative to wherever the program happens to run.
QString cardFilePathOf(const QUrl& url) {
    if (!url.isLocalFile())
        return QString();
    const QString path = url.toLocalFile();
    return QFileInfo(path).isAbsolute() ? path : QString();
}

QString exportTitle(const file::CardAudioEntry& entry) {
    // The control file pads names with spaces; the title shows the name.
    QString name = entry.dataName;
    while (!name.isEmpty() && name.back().isSpace())
        name.chop(1);
    return QStringLiteral("Exporting \"") + name + QLatin1Char('"');
}

} // namespace

AbstractWaveFileTreeView::AbstractWaveFileTreeView(QWidget* parent)
    : LocalTreeView(parent) {}

bool AbstractWaveFileTreeView::isCardDrag(const QMimeData* mime) {
    const auto* ours = qobject_cast<const data::MimeData*>(mime);
    if (!ours)
        return false;
    const QVariantList entries = ours->entries();
    return std::any_of(entries.begin(), entries.end(), holdsCardEntry);
}

// ---------------------------------------------------------------- listing

void AbstractWaveFileTreeView::reload(data::const_DataCategory*) {
    // These lists show audio files whatever category the other tabs show.
    reload();
}

void AbstractWaveFileTreeView::reload() {
    const QDir folder = listedDirectory();
    const QSet<QString> cardFiles = cardFilesListedByControlFile(folder);
    QFileInfoList files;
    const QFileInfoList found = folder.entryInfoList(nameFilters(), QDir::Files, QDir::Unsorted);
    for (const QFileInfo& file : found) {
        if (!cardFiles.contains(file.fileName().toUpper()))
            files.append(file);
    }
    LocalTreeView::reload(files, fileIcon());
    showSizesInMegabytes();
}

QSet<QString> AbstractWaveFileTreeView::cardFilesListedByControlFile(const QDir& folder) const {
    QSet<QString> names;
    if (folder.dirName().compare(QLatin1String(file::CardAudioControlFile::kFolderName),
                                 Qt::CaseInsensitive) != 0)
        return names;
    const QString controlPath =
        folder.filePath(QLatin1String(file::CardAudioControlFile::kFileName));
    if (!QFileInfo::exists(controlPath))
        return names;
    file::CardAudioControlFile control;
    // A damaged control file still names the entries read before the damage.
    control.load(controlPath);
    // Card file systems do not tell case apart.
    for (const file::CardAudioEntry& entry : control.entries())
        names.insert(entry.fileName().toUpper());
    return names;
}

void AbstractWaveFileTreeView::showSizesInMegabytes() {
    QStandardItemModel* model = itemModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStandardItem* size = model->item(row, SizeColumn);
        if (!size)
            continue;
        const QVariant bytes = size->data(SizeRole);
        if (bytes.isValid())
            size->setText(SizeTexts::megabytesText(bytes.toLongLong()));
    }
}

void AbstractWaveFileTreeView::sendToTrash() {
    LocalTreeView::sendToTrash();
    // The folder may be on the card, whose free space the card side shows.
    emit allReloadRequired();
}

// ------------------------------------------------------------------ drags

bool AbstractWaveFileTreeView::takesCardDrag(const data::MimeData& mime) const {
    const QVariantList entries = mime.entries();
    return std::any_of(entries.begin(), entries.end(), [this](const QVariant& v) {
        return holdsCardEntry(v) &&
               cardDropFor(v.value<file::CardAudioEntry>().kind).how != CardDrop::Ignore;
    });
}

void AbstractWaveFileTreeView::acceptCardDrag(QDropEvent* event) const {
    // A card drag is never taken as a list of files to copy: entries that
    // this list does not take are refused altogether.
    if (takesCardDrag(*static_cast<const data::MimeData*>(event->mimeData()))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void AbstractWaveFileTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (isCardDrag(event->mimeData()))
        acceptCardDrag(event);
    else
        LocalTreeView::dragEnterEvent(event);
}

void AbstractWaveFileTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (isCardDrag(event->mimeData()))
        acceptCardDrag(event);
    else
        LocalTreeView::dragMoveEvent(event);
}

void AbstractWaveFileTreeView::dropEvent(QDropEvent* event) {
    if (!isCardDrag(event->mimeData())) {
        LocalTreeView::dropEvent(event);
        return;
    }
    acceptCardDrag(event);
    if (event->isAccepted())
        takeCardEntries(*static_cast<const data::MimeData*>(event->mimeData()));
}

// ------------------------------------------------------ taking card files

void AbstractWaveFileTreeView::takeCardEntries(const data::MimeData& mime) {
    const QVariantList entries = mime.entries();
    const QList<QUrl> urls = mime.urls();
    // Entries and paths go in pairs; an entry without its path is not taken.
    const qsizetype count = std::min(entries.size(), urls.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (!holdsCardEntry(entries.at(i)))
            continue;
        const auto entry = entries.at(i).value<file::CardAudioEntry>();
        const CardDrop drop = cardDropFor(entry.kind);
        if (drop.how != CardDrop::Ignore)
            takeCardFile(entry, cardFilePathOf(urls.at(i)), drop);
    }
}

void AbstractWaveFileTreeView::takeCardFile(const file::CardAudioEntry& entry,
                                            const QString& cardFile, const CardDrop& drop) {
    audio::WaveFormatInfo info;
    if (!readCardFileHeader(cardFile, info))
        return;
    // The file's header and audio, nothing the card keeps after them.
    const qint64 byteLimit = qint64(info.dataEnd) + 1;
    if (drop.how == CardDrop::ExportWithConversion)
        registerExport(entry, cardFile, byteLimit);
    else
        registerCopy(entry, cardFile, drop.extension, byteLimit);
}

bool AbstractWaveFileTreeView::readCardFileHeader(const QString& cardFile,
                                                  audio::WaveFormatInfo& info) {
    int read = audio::WaveHeaderCannotOpen;
    // A card taken out (or a card folder gone) leaves nothing to open.
    if (!cardFile.isEmpty() && QFileInfo(cardFile).isFile())
        read = audio::readWaveHeader(cardFile, info);
    CommandErrorCode::T error = CommandErrorCode::NoError;
    if (read == audio::WaveHeaderCannotOpen)
        error = CommandErrorCode::FileReadError;
    else if (read != audio::WaveHeaderValid || !audio::isKeyboardWaveFormat(info))
        error = CommandErrorCode::FileFormatError;
    if (error == CommandErrorCode::NoError)
        return true;
    emit notifyError(error, QString());
    emit allReloadRequired();
    return false;
}

void AbstractWaveFileTreeView::registerExport(const file::CardAudioEntry& entry,
                                              const QString& cardFile, qint64 byteLimit) {
    if (!communicator())
        return;
    const QString waveFolder = etc::Settings::instance()->waveDataDirectory();
    etc::Settings::ensureDirectory(waveFolder);
    comm::CommandConnections connections;
    connections.replies = comm::CommandReplies::to(this)
                              .started(&AbstractWaveFileTreeView::emitCommandTitle)
                              .finished(&AbstractWaveFileTreeView::onFinishFileAudioExportCommand)
                              .percentProgress(&AbstractWaveFileTreeView::emitCommandProgress);
    connections.controls = commandControlSource();
    communicator()->registerRecordedAudioExportCommand(cardFile, entry.dataName, waveFolder,
                                                       byteLimit, exportTitle(entry), connections);
    emit newCommandRegistered();
}

void AbstractWaveFileTreeView::registerCopy(const file::CardAudioEntry& entry,
                                            const QString& cardFile, const QString& extension,
                                            qint64 byteLimit) {
    if (!communicator())
        return;
    comm::CommandConnections connections;
    connections.replies = comm::CommandReplies::to(this)
                              .started(&AbstractWaveFileTreeView::emitCommandTitle)
                              .finished(&AbstractWaveFileTreeView::onFinishFileCopyCommand)
                              .progress(&AbstractWaveFileTreeView::emitCommandProgress);
    connections.controls = commandControlSource();
    communicator()->registerFileCopyCommand(cardFile, listedDirectory().absolutePath(),
                                            entry.dataName, extension, byteLimit,
                                            exportTitle(entry), connections);
    emit newCommandRegistered();
}

void AbstractWaveFileTreeView::onFinishFileAudioExportCommand(QVariant result) {
    finishCardCommand(result);
}

void AbstractWaveFileTreeView::onFinishFileCopyCommand(QVariant result) {
    finishCardCommand(result);
}

void AbstractWaveFileTreeView::finishCardCommand(const QVariant& result) {
    const comm::FileCopyCommandResult copy = copyResultOf(result);
    // A failed copy leaves no half-written file behind.
    if (copy.errorCode != CommandErrorCode::NoError && !copy.destinationPath.isEmpty() &&
        QFileInfo(copy.destinationPath).isFile())
        QFile::remove(copy.destinationPath);
    emit notifyError(CommandErrorCode::T(copy.errorCode), QString());
    emit commandFinished(result);
    emit allReloadRequired();
}

} // namespace zel::qmix::gui
