#pragma once

#include "comm/CommandErrorCode.h"
#include "data/DataCategory.h"
#include "file/PackageFile.h"
#include "gui/RemoteTreeView.h"

#include <QDate>
#include <QDir>
#include <QString>
#include <QVariant>

#include <memory>

class QStandardItemModel;
class QTemporaryFile;

namespace zel::qmix::data {
class KeyboardInfo;
}

namespace zel::qmix::gui {

// The package being edited, one category at a time: the areas of the shown
// category with the names and sizes of what the package puts there. PC data
// files dropped on a row go into that area and the following ones; rows
// dragged to the trash are emptied. New, Open and Save act on the package.
// Editing never talks to the keyboard.
//
// An opened package is read from a private copy, so the user's file stays
// closed while it is edited and can be saved over safely.
class DataPackageContentsTreeView : public RemoteTreeView {
    Q_OBJECT
public:
    enum Column { AreaColumn = 0, NameColumn = 1, SizeColumn = 2 };
    // Longer file names are cut to this many characters in the name label.
    static constexpr int ShownFileNameLength = 20;

    explicit DataPackageContentsTreeView(QWidget* parent = nullptr);
    ~DataPackageContentsTreeView() override;

    const file::PackageFile& package() const { return package_; }
    bool isModified() const { return modified_; }
    // The package file opened or saved last; empty for a new package.
    QString openedPath() const { return openedPath_; }
    const data::DataCategory* category() const { return category_; }
    QStandardItemModel* itemModel() const { return model_; }

    // Whether the edited package may be left (New, Open, closing the
    // window): asks about saving unsaved changes of a package that holds
    // anything; false when the user cancels or the save fails.
    bool confirmLeave();

    // The name label's text for `path`: the file name, cut to
    // ShownFileNameLength characters followed by "..." when longer.
    static QString shownFileName(const QString& path);
    // Where Save proposes to put a new package of `model` made on `date`:
    // the first free "<model>_<yyMMdd>.PK7" name in `folder`.
    static QString newPackagePath(const QDir& folder, const data::KeyboardInfo* model,
                                  const QDate& date);

signals:
    void reloaded(QVariant package);
    void notifyPackageFileName(QString name);
    void commandStarted(QVariant info);
    void commandProgress(int done, int total);
    void commandFinished(QVariant result);
    void newCommandRegistered();
    void notifyMemoryDisplayRequired(bool visible);
    void notifyCategoryCurrentMemory(int percent);
    void notifyCategoryTotalMemory(int total);
    void notifyError(zel::qmix::comm::CommandErrorCode::T code, QString detail);
    // The package changed as a whole: the category box and the lists follow.
    void allReloadRequired();

public slots:
    void initialize();
    void initializeWithConfirm();
    void reload(zel::qmix::data::const_DataCategory* category);
    void reload(const QString& filePath);
    void reload();
    bool save();
    void openFile();
    void openFileWithConfirm();
    void clearSelectedArea();
    void sendToTrash() override;
    void reloadMemoryBar(zel::qmix::data::const_DataCategory* category);
    void onFinishCommand(QVariant result);

protected:
    // The file dialogs, apart so that they can be stood in for.
    virtual QString askOpenPath(const QString& folder);
    virtual QString askSavePath(const QString& defaultPath);

    data::MimeData* createDragData() override;
    bool acceptsDrop(const QMimeData* mime, const QModelIndex& index) const override;
    void filesDropped(const QStringList& paths, const QModelIndex& index) override;

private:
    enum LoadResult {
        Loaded,
        // Nothing changed.
        Unreadable,
        // A new package took the edited one's place.
        NotAPackage,
    };
    // Takes in the package at `filePath`, showing why when it fails.
    LoadResult load(const QString& filePath);
    // The package's model; null (with "File Format Error" shown) if unknown.
    const data::KeyboardInfo* packageModel() const;
    void reportUnknownModel() const;
    QString keyWord() const;
    int areaCount() const;

    // Songs and music presets share one memory: the bytes its areas take in
    // the package, and what the model offers.
    int usedMemory(const data::DataCategory* category) const;
    static int memoryCapacity(const data::KeyboardInfo* model, const data::DataCategory* category);
    bool overflowsMemory(const data::KeyboardInfo* model, int area, int dataSize) const;

    void appendAreaRow(int area, const data::KeyboardInfo* model);
    void setUpColumns();
    QList<int> selectedRows() const;
    void markModified();

    const data::DataCategory* category_ = nullptr;
    const data::DataCategory* previousCategory_ = nullptr;
    // The opened package's bytes; the package reads its archive entries here.
    std::unique_ptr<QTemporaryFile> packageCopy_;
    file::PackageFile package_;
    QString openedPath_;
    bool modified_ = false;
    QStandardItemModel* model_;
};

} // namespace zel::qmix::gui
