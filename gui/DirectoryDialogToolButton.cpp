#include "gui/DirectoryDialogToolButton.h"

#include <QFileDialog>
#include <QFileInfo>

namespace zel::qmix::gui {

DirectoryDialogToolButton::DirectoryDialogToolButton(QWidget* parent)
    : QToolButton(parent) {
    setText(tr("Browse..."));
    setAccessibleName(tr("Browse..."));
    connect(this, &QToolButton::clicked, this, &DirectoryDialogToolButton::getDirectoryPath);
}

void DirectoryDialogToolButton::setDefaultPath(QString path) {
    defaultPath_ = path;
}

void DirectoryDialogToolButton::getDirectoryPath() {
    const QString answer = askDirectory(defaultPath_);
    if (!answer.isEmpty() && QFileInfo(answer).isDir())
        emit gotDirectoryPath(answer);
}

QString DirectoryDialogToolButton::askDirectory(const QString& startPath) {
    return QFileDialog::getExistingDirectory(this, QString(), startPath, QFileDialog::ShowDirsOnly);
}

} // namespace zel::qmix::gui
