#pragma once

#include "comm/CommandControlSource.h"
#include "data/DataCategory.h"
#include "gui/AbstractTreeView.h"

#include <QDir>
#include <QFileInfoList>
#include <QIcon>
#include <QItemSelection>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <QVariant>

class QStandardItemModel;

namespace zel::qmix::comm {
class KeyboardCommunicator;
}

namespace zel::qmix::gui {

class LocalTreeViewDelegate;
class LocalTreeViewSortFilterProxyModel;

// A list of the plain files in one PC folder (the folder is the concrete
// view's choice, see listedDirectory()). It sorts names naturally, lets the
// user rename and delete files, and takes drops: keyboard areas dragged from
// the keyboard view are received into files of the folder, the whole
// keyboard asks for a backup, and files from elsewhere are copied in.
//
// Subclasses that override one reload() should bring the others back into
// scope with `using LocalTreeView::reload;`.
class LocalTreeView : public AbstractTreeView {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, SizeColumn = 1 };
    // Column 1: the file's byte size (qint64), which the size column sorts by.
    static constexpr int SizeRole = Qt::UserRole + 100;
    // Column 0: the file's absolute path.
    static constexpr int PathRole = Qt::UserRole + 101;

    explicit LocalTreeView(QWidget* parent = nullptr);
    ~LocalTreeView() override;

    // "1,234 byte": a byte count as the lists show it.
    static QString sizeText(qint64 bytes);

    void setCommunicator(comm::KeyboardCommunicator* communicator);
    // Where cancel and suspend requests of the receives come from.
    void setCommandControlSource(const comm::CommandControlSource& source);

    // The category listed last, null before the first.
    const data::DataCategory* category() const { return category_; }
    // Absolute paths of the selected rows' files.
    QStringList selectedFilePaths() const;

    // The folder whose files are listed and into which drops go.
    virtual QDir listedDirectory() const = 0;

signals:
    void commandStarted(QVariant info);
    void commandProgress(int done, int total);
    void commandFinished(QVariant result);
    void newCommandRegistered();
    void selected(QStringList paths);
    void entiretyKeyboardDropped();
    void fileDeleted();
    void fileRenamed();

public slots:
    virtual void reload(zel::qmix::data::const_DataCategory* category);
    void reload(QFileInfoList files, QIcon icon);
    void reload(QDir dir, QStringList fileNameFilters, QIcon icon);
    virtual void reload();
    // Deletes the selected files (to the desktop's trash where there is one);
    // true when none of them is left.
    bool deleteSelectedFile();
    void sendToTrash() override;
    void emitCommandTitle(QVariant v);
    void emitCommandProgress(int a, int b);
    void onFinishBulkReceive(QVariant v);
    void onFinishSeriesEnd(QVariant v);
    void emitSelectedFileName(QItemSelection selected, QItemSelection deselected);

protected:
    data::MimeData* createDragData() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Registers one receive per area, after checking that the listed folder
    // takes new files.
    void receiveAreas(const data::DataCategory* category, const QList<int>& areas);
    // Copies the files into the listed folder under free names; files that
    // are already there are left alone.
    void copyFilesIn(const QList<QUrl>& urls);

    comm::KeyboardCommunicator* communicator() const { return communicator_; }
    const comm::CommandControlSource& commandControlSource() const { return controlSource_; }
    QStandardItemModel* itemModel() const { return model_; }

private:
    bool acceptsDrop(const QMimeData* mime) const;
    // Entering and moving drags are taken, as copies, or refused alike.
    void acceptAsCopy(QDropEvent* event) const;
    void addNoFileRow();
    void addFileRow(const QFileInfo& file, const QIcon& icon);
    void saveReceived(const data::DataCategory* category, const QByteArray& bytes,
                      const QString& dataName);

    QStandardItemModel* model_;
    LocalTreeViewSortFilterProxyModel* proxy_;
    LocalTreeViewDelegate* delegate_;
    const data::DataCategory* category_ = nullptr;
    comm::KeyboardCommunicator* communicator_ = nullptr;
    comm::CommandControlSource controlSource_;
};

} // namespace zel::qmix::gui
