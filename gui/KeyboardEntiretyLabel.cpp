#include "gui/KeyboardEntiretyLabel.h"

#include "data/AllDataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMouseEvent>

namespace zel::qmix::gui {

namespace {

const char* const PackageExtension = ".PK7";

QString dottedSuffix(const QString& path) {
    return QLatin1Char('.') + QFileInfo(path).suffix().toLower();
}

bool isBackupFile(const QString& path) {
    return dottedSuffix(path) == data::AllDataCategory::instance()->extension().toLower();
}

bool isPackageFile(const QString& path) {
    return dottedSuffix(path) == QString::fromLatin1(PackageExtension).toLower();
}

} // namespace

KeyboardEntiretyLabel::KeyboardEntiretyLabel(QWidget* parent)
    : QLabel(parent) {
    setAcceptDrops(true);
    setAlignment(Qt::AlignCenter);
    setAccessibleName(tr("Keyboard"));
}

void KeyboardEntiretyLabel::setBackupMode(bool backupMode) {
    backupMode_ = backupMode;
    setToolTip(backupMode ? tr("Keyboard: drop a backup file here to restore it, or drag the "
                               "keyboard onto the backup list to save it")
                          : tr("Keyboard: drop a package file here to send it"));
}

void KeyboardEntiretyLabel::reload() {
    if (const data::KeyboardInfo* model = data::KeyboardInfo::currentModel())
        setPixmap(QPixmap(model->largePicture()));
}

QString KeyboardEntiretyLabel::acceptedFile(const QMimeData* mime) const {
    // Only single files from the program's own lists.
    const auto* ours = qobject_cast<const data::MimeData*>(mime);
    if (!ours || ours->urls().size() != 1)
        return {};
    const QString path = ours->urls().constFirst().toLocalFile();
    const bool taken = backupMode_ ? isBackupFile(path) : isPackageFile(path);
    return taken ? path : QString();
}

void KeyboardEntiretyLabel::dragEnterEvent(QDragEnterEvent* event) {
    event->accept();
}

void KeyboardEntiretyLabel::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptedFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void KeyboardEntiretyLabel::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void KeyboardEntiretyLabel::dropEvent(QDropEvent* event) {
    const QString path = acceptedFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (isBackupFile(path))
        emit backupFileDropped(path);
    else if (isPackageFile(path))
        emit packageFileDropped(path);
}

void KeyboardEntiretyLabel::mousePressEvent(QMouseEvent* event) {
    if (backupMode_ && event->button() == Qt::LeftButton)
        dragStart_ = event->position().toPoint();
    QLabel::mousePressEvent(event);
}

void KeyboardEntiretyLabel::mouseMoveEvent(QMouseEvent* event) {
    const bool dragging = backupMode_ && (event->buttons() & Qt::LeftButton) &&
                          (event->position().toPoint() - dragStart_).manhattanLength() >=
                              QApplication::startDragDistance();
    if (dragging)
        startKeyboardDrag();
    else
        QLabel::mouseMoveEvent(event);
}

void KeyboardEntiretyLabel::startKeyboardDrag() {
    auto* keyboard = new data::MimeData;
    keyboard->setSourceView(this);
    keyboard->setEntireKeyboard(true);
    // The keyboard cannot go to the trash.
    keyboard->setDeletable(false);
    auto* drag = new QDrag(this);
    drag->setMimeData(keyboard);
    if (const data::KeyboardInfo* model = data::KeyboardInfo::currentModel())
        drag->setPixmap(QPixmap(model->smallPicture()));
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace zel::qmix::gui
