#pragma once

#include <QStyledItemDelegate>

namespace zel::qmix::gui {

// Renames a listed file when the user has edited its name. The row's file
// path is kept under LocalTreeView::PathRole; a rename that cannot be done
// leaves the file and the row as they were.
class LocalTreeViewDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LocalTreeViewDelegate(QObject* parent = nullptr);

    // The name a file called `oldName` gets when the user typed `typed`:
    // trimmed, and with the old extension appended when the typed name does
    // not end in it (in any case), so the file stays in its category's list.
    // Empty when the name cannot be used: empty, ".", "..", or containing a
    // path separator or a NUL character.
    static QString acceptableName(const QString& oldName, const QString& typed);

    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

signals:
    void fileRenamed(QString oldPath, QString newPath);

private:
    // Renames the file; false, after telling the user, when it could not be.
    bool renameFile(const QString& oldPath, const QString& newPath) const;
};

} // namespace zel::qmix::gui
