#include "gui/DataPackageContentsTreeView.h"

#include "app/MessageDialog.h"
#include "comm/BulkSendCommandResult.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "data/MusicPresetDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "etc/MessageTexts.h"
#include "etc/Settings.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"
#include "file/FileNaming.h"
#include "gui/SizeTexts.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTemporaryFile>

#include <algorithm>

namespace zel::qmix::gui {

namespace {

using etc::MessageTexts;

const QString PackageExtension = QStringLiteral(".PK7");
constexpr Qt::Alignment RightCentred = Qt::AlignRight | Qt::AlignVCenter;

QString fileFilter() {
    return DataPackageContentsTreeView::tr("Package Files (*.PK7)");
}

QString mainDataFolder() {
    const QString folder = etc::Settings::instance()->mainDataDirectory();
    etc::Settings::ensureDirectory(folder);
    return folder;
}

QString fileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

QStandardItem* readOnlyItem(const QString& text = QString()) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setDropEnabled(false);
    return item;
}

} // namespace

DataPackageContentsTreeView::DataPackageContentsTreeView(QWidget* parent)
    : RemoteTreeView(parent)
    , model_(new QStandardItemModel(this)) {
    file::PackageFile::registerMetaType();
    setModel(model_);
    setAccessibleName(tr("Current Category"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUpColumns();
}

DataPackageContentsTreeView::~DataPackageContentsTreeView() = default;

QString DataPackageContentsTreeView::shownFileName(const QString& path) {
    const QString name = fileNameOf(path);
    if (name.size() <= ShownFileNameLength)
        return name;
    return name.left(ShownFileNameLength) + QStringLiteral("...");
}

QString DataPackageContentsTreeView::newPackagePath(const QDir& folder,
                                                    const data::KeyboardInfo* model,
                                                    const QDate& date) {
    return file::FileNaming::freePath(folder, file::FileNaming::modelAndDateName(model, date),
                                      PackageExtension);
}

// ---------------------------------------------------------------- package

void DataPackageContentsTreeView::initialize() {
    openedPath_.clear();
    package_ = file::PackageFile(data::KeyboardInfo::currentModel()->modelName());
    // Nothing reads from the opened package's copy any more.
    packageCopy_.reset();
    modified_ = false;
    emit allReloadRequired();
}

bool DataPackageContentsTreeView::confirmLeave() {
    if (!modified_ || package_.hasNoData())
        return true;
    switch (MessageDialog::confirmSavePackage()) {
    case QMessageBox::Yes:
        return save();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void DataPackageContentsTreeView::initializeWithConfirm() {
    if (confirmLeave())
        initialize();
}

void DataPackageContentsTreeView::openFileWithConfirm() {
    if (confirmLeave())
        openFile();
}

QString DataPackageContentsTreeView::askOpenPath(const QString& folder) {
    return QFileDialog::getOpenFileName(this, tr("Open Package File"), folder, fileFilter());
}

QString DataPackageContentsTreeView::askSavePath(const QString& defaultPath) {
    return QFileDialog::getSaveFileName(this, tr("Save Package File"), defaultPath, fileFilter());
}

void DataPackageContentsTreeView::openFile() {
    const QString path = askOpenPath(QDir(mainDataFolder()).absolutePath());
    if (path.isEmpty())
        return;
    // A file that could not be taken in leaves the edited package, its
    // changes and its file as they were.
    if (load(path) != Loaded)
        return;
    openedPath_ = path;
    modified_ = false;
}

void DataPackageContentsTreeView::reload(const QString& filePath) {
    load(filePath);
}

DataPackageContentsTreeView::LoadResult DataPackageContentsTreeView::load(const QString& filePath) {
    QByteArray bytes;
    {
        QFile source(filePath);
        if (!source.open(QIODevice::ReadOnly)) {
            MessageDialog::request(MessageTexts::FileReadError, fileNameOf(filePath));
            return Unreadable;
        }
        bytes = source.readAll();
        if (source.error() != QFileDevice::NoError) {
            MessageDialog::request(MessageTexts::FileReadError, fileNameOf(filePath));
            return Unreadable;
        }
    }
    // A fresh copy: the edited package still reads its entries from the old
    // one, which must stay whole until the new one is complete.
    auto copy = std::make_unique<QTemporaryFile>();
    if (!copy->open() || copy->write(bytes) != bytes.size() || !copy->flush()) {
        MessageDialog::request(MessageTexts::FileReadError, fileNameOf(filePath));
        return Unreadable;
    }
    packageCopy_ = std::move(copy);
    openedPath_ = filePath;

    const bool loaded = package_.load(packageCopy_->fileName());
    if (loaded) {
        package_.readSizes();
    } else {
        initialize();
        MessageDialog::request(MessageTexts::FileFormatError, fileNameOf(filePath));
    }
    emit allReloadRequired();
    return loaded ? Loaded : NotAPackage;
}

bool DataPackageContentsTreeView::save() {
    const QString folder = mainDataFolder();
    QString defaultPath;
    if (!openedPath_.isEmpty()) {
        defaultPath = QDir(folder).absoluteFilePath(openedPath_);
    } else {
        const data::KeyboardInfo* model = data::KeyboardInfo::find(package_.modelName());
        defaultPath = newPackagePath(
            QDir(folder), model ? model : data::KeyboardInfo::currentModel(), QDate::currentDate());
    }
    const QString path = askSavePath(defaultPath);
    if (path.isEmpty())
        return false;

    package_.dropMissingFiles();
    // The package writes a complete new archive before it replaces anything,
    // and reads the opened package's entries from the private copy: a failed
    // save leaves both the file and the edited package as they were.
    if (!package_.save(path)) {
        MessageDialog::request(MessageTexts::FileWriteError, QDir::toNativeSeparators(path));
        return false;
    }
    // The saved file is what is edited from now on, even should reading it
    // back fail: it holds what the package held. Only a file that reads back
    // as no package at all has made way for a new package.
    if (load(path) != NotAPackage) {
        openedPath_ = path;
        modified_ = false;
    }
    return true;
}

const data::KeyboardInfo* DataPackageContentsTreeView::packageModel() const {
    const data::KeyboardInfo* model = data::KeyboardInfo::find(package_.modelName());
    if (!model)
        reportUnknownModel();
    return model;
}

void DataPackageContentsTreeView::reportUnknownModel() const {
    MessageDialog::request(MessageTexts::FileFormatError, fileNameOf(openedPath_));
}

QString DataPackageContentsTreeView::keyWord() const {
    return category_ ? category_->keyWord() : QString();
}

int DataPackageContentsTreeView::areaCount() const {
    return static_cast<int>(package_.areasOf(keyWord()).size());
}

void DataPackageContentsTreeView::markModified() {
    modified_ = true;
}

// ---------------------------------------------------------------- listing

void DataPackageContentsTreeView::reload(data::const_DataCategory* category) {
    previousCategory_ = category_;
    category_ = category;
    reload();
}

void DataPackageContentsTreeView::reload() {
    if (category_ != previousCategory_)
        scrollToTop();
    previousCategory_ = category_;
    const int vertical = verticalScrollBar()->value();
    const int horizontal = horizontalScrollBar()->value();

    emit notifyPackageFileName(tr("Package File"));
    model_->clear();
    setUpColumns();

    if (!category_ || !package_.areas().contains(category_->keyWord())) {
        setEnabled(false);
        emit reloaded(QVariant());
        return;
    }
    setEnabled(true);
    const data::KeyboardInfo* model = packageModel();
    if (!model)
        return;

    const int count = areaCount();
    for (int area = 0; area < count; ++area)
        appendAreaRow(area, model);
    if (QStandardItem* first = model_->item(0, AreaColumn))
        first->setSizeHint(iconSize());

    // The scroll ranges follow the new rows only once they are laid out.
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(vertical);
    horizontalScrollBar()->setValue(horizontal);

    reloadMemoryBar(category_);
    emit reloaded(QVariant::fromValue(package_));

    const QString shown = shownFileName(openedPath_);
    if (!shown.isEmpty())
        emit notifyPackageFileName(shown);
}

void DataPackageContentsTreeView::appendAreaRow(int area, const data::KeyboardInfo* model) {
    const QString word = keyWord();
    file::PackageArea record = package_.area(word, area);
    // A file added while editing that has gone from the disk since cannot
    // be saved: the area shows, and is, empty.
    if (!record.inArchive && !QFileInfo(record.sourcePath).isFile()) {
        package_.setFile(word, area, QString());
        record = package_.area(word, area);
    }
    QStandardItem* number = readOnlyItem(QString::number(model->firstNumber(category_) + area));
    number->setTextAlignment(RightCentred);
    const bool filled = record.size >= 0;
    QStandardItem* name = readOnlyItem(record.dataName);
    name->setIcon(filled ? category_->largeIcon() : QIcon());
    QStandardItem* size = readOnlyItem(filled ? SizeTexts::bytes(record.size) : QString());
    size->setTextAlignment(RightCentred);
    model_->appendRow({number, name, size});
}

void DataPackageContentsTreeView::setUpColumns() {
    model_->setHorizontalHeaderLabels({tr("Area"), tr("File Name"), tr("Size")});
    QHeaderView* columns = header();
    columns->setStretchLastSection(false);
    columns->setSectionsMovable(false);
    columns->setSectionResizeMode(AreaColumn, QHeaderView::ResizeToContents);
    columns->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(SizeColumn, QHeaderView::ResizeToContents);
}

// ---------------------------------------------------------------- memory bar

int DataPackageContentsTreeView::memoryCapacity(const data::KeyboardInfo* model,
                                                const data::DataCategory* category) {
    if (category == data::SequencerDataCategory::instance())
        return model->songMemoryCapacity();
    if (category == data::MusicPresetDataCategory::instance())
        return model->musicPresetMemoryCapacity();
    return 0;
}

int DataPackageContentsTreeView::usedMemory(const data::DataCategory* category) const {
    const QString word = category->keyWord();
    const int count = static_cast<int>(package_.areasOf(word).size());
    qint64 used = 0;
    for (int area = 0; area < count; ++area)
        used += package_.areaSize(word, area);
    return static_cast<int>(std::min<qint64>(used, INT32_MAX));
}

bool DataPackageContentsTreeView::overflowsMemory(const data::KeyboardInfo* model, int area,
                                                  int dataSize) const {
    const qint64 capacity = memoryCapacity(model, category_);
    const qint64 after =
        qint64(usedMemory(category_)) + dataSize - package_.areaSize(keyWord(), area);
    return capacity < after;
}

void DataPackageContentsTreeView::reloadMemoryBar(data::const_DataCategory* category) {
    emit notifyMemoryDisplayRequired(false);
    if (!category || !category->hasMemoryGauge())
        return;
    const data::KeyboardInfo* model = packageModel();
    if (!model)
        return;
    // A package may hold more, or smaller items, than the keyboard's own
    // figures assume; the bar only goes from empty to full.
    const int percent =
        std::clamp(model->memoryGaugePercent(category, usedMemory(category)), 0, 100);
    emit notifyCategoryTotalMemory(100);
    emit notifyCategoryCurrentMemory(percent);
    emit notifyMemoryDisplayRequired(true);
}

// ---------------------------------------------------------------- editing

bool DataPackageContentsTreeView::acceptsDrop(const QMimeData* mime,
                                              const QModelIndex& index) const {
    return RemoteTreeView::acceptsDrop(mime, index) && category_ &&
           index.row() < model_->rowCount();
}

void DataPackageContentsTreeView::filesDropped(const QStringList& paths, const QModelIndex& index) {
    const data::KeyboardInfo* model = packageModel();
    if (!model || !category_)
        return;
    const QString word = keyWord();
    const bool sharedMemory = category_->hasMemoryGauge();
    bool memoryFull = false;
    int area = index.row();
    for (const QString& path : paths) {
        int result = file::FileOk;
        const QSharedPointer<file::AbstractFile> opened =
            file::CategoryFiles::openFile(category_, path, package_.modelName(), &result);
        if (!opened || result != file::FileOk) {
            MessageDialog::requestFileError(result, fileNameOf(path));
            break;
        }
        if (area >= model_->rowCount())
            break;
        if (sharedMemory && overflowsMemory(model, area, int(opened->data().size()))) {
            memoryFull = true;
            break;
        }
        package_.setFile(word, area, path);
        markModified();
        ++area;
    }
    reload();
    if (memoryFull)
        MessageDialog::request(MessageTexts::MemoryFull);
}

QList<int> DataPackageContentsTreeView::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows(AreaColumn))
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void DataPackageContentsTreeView::clearSelectedArea() {
    if (!category_)
        return;
    const QString word = keyWord();
    for (int row : selectedRows()) {
        package_.setFile(word, row, QString());
        markModified();
    }
    reload();
}

void DataPackageContentsTreeView::sendToTrash() {
    clearSelectedArea();
}

data::MimeData* DataPackageContentsTreeView::createDragData() {
    if (!category_)
        return nullptr;
    // Rows go as entries, not as areas: other lists would take areas for
    // keyboard areas and fetch them from the keyboard. The package is the
    // source view's.
    QVariantList rows;
    for (int row : selectedRows()) {
        if (package_.area(keyWord(), row).size >= 0)
            rows.append(row);
    }
    if (rows.isEmpty())
        return nullptr;
    auto* mime = new data::MimeData();
    mime->setCategory(category_);
    mime->setEntries(rows);
    mime->setDeletable(true);
    return mime;
}

// ---------------------------------------------------------------- commands

void DataPackageContentsTreeView::onFinishCommand(QVariant result) {
    emit commandFinished(result);
    if (!result.canConvert<comm::BulkSendCommandResult>())
        return;
    const int code = result.value<comm::BulkSendCommandResult>().errorCode;
    if (code != comm::CommandErrorCode::NoError)
        emit notifyError(comm::CommandErrorCode::T(code), QString());
}

} // namespace zel::qmix::gui
