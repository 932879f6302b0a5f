#include "gui/LocalTreeViewDelegate.h"

#include "app/MessageDialog.h"
#include "file/AbstractFile.h"
#include "gui/LocalTreeView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

namespace zel::qmix::gui {

namespace {

// The extension with its dot, "" for names without one.
QString extensionOf(const QString& name) {
    const QString suffix = QFileInfo(name).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
}

} // namespace

LocalTreeViewDelegate::LocalTreeViewDelegate(QObject* parent)
    : QStyledItemDelegate(parent) {}

QString LocalTreeViewDelegate::acceptableName(const QString& oldName, const QString& typed) {
    QString name = typed.trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QDir::separator()) ||
        name.contains(QChar(0)))
        return QString();
    const QString extension = extensionOf(oldName);
    if (!extension.isEmpty() && !name.endsWith(extension, Qt::CaseInsensitive)) {
        // A bare ".AC7" is no name either.
        name += extension;
    }
    if (name.compare(extension, Qt::CaseInsensitive) == 0)
        return QString();
    return name;
}

void LocalTreeViewDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    QStyledItemDelegate::setEditorData(editor, index);
    // Start with the name selected and the extension left alone, as file
    // managers do.
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        const QString name = line->text();
        const int extension = extensionOf(name).size();
        line->setSelection(0, name.size() - extension);
    }
}

void LocalTreeViewDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                         const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    const QString oldPath = index.data(LocalTreeView::PathRole).toString();
    if (!line || oldPath.isEmpty())
        return;
    const QFileInfo old(oldPath);
    const QString newName = acceptableName(old.fileName(), line->text());
    if (newName.isEmpty() || newName == old.fileName())
        return;
    const QString newPath = old.dir().filePath(newName);
    if (!renameFile(oldPath, newPath))
        return;
    model->setData(index, newName, Qt::DisplayRole);
    model->setData(index, newPath, LocalTreeView::PathRole);
    emit const_cast<LocalTreeViewDelegate*>(this)->fileRenamed(oldPath, newPath);
}

bool LocalTreeViewDelegate::renameFile(const QString& oldPath, const QString& newPath) const {
    // QFile never replaces an existing file; a change of case alone is still
    // allowed on file systems that ignore case.
    if (!QFile::rename(oldPath, newPath)) {
        MessageDialog::requestFileError(file::FileCannotWrite, QFileInfo(newPath).fileName());
        return false;
    }
    return true;
}

} // namespace zel::qmix::gui
