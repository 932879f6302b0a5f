#include "gui/TrashLabel.h"

#include "data/MimeData.h"
#include "gui/AbstractTreeView.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

namespace zel::qmix::gui {

namespace {

AbstractTreeView* sourceListOf(const QMimeData* mime) {
    const auto* ours = qobject_cast<const data::MimeData*>(mime);
    return ours ? qobject_cast<AbstractTreeView*>(ours->sourceView()) : nullptr;
}

} // namespace

TrashLabel::TrashLabel(QWidget* parent)
    : QLabel(parent)
    , normal_(QStringLiteral(":/images/trash.png"))
    , armedPicture_(QStringLiteral(":/images/trash2.png")) {
    setAcceptDrops(true);
    setToolTip(tr("Trash Box"));
    setAccessibleName(tr("Trash Box"));
    setAlignment(Qt::AlignCenter);
    setArmed(false);
}

bool TrashLabel::isTrashable(const QMimeData* mime) {
    const auto* ours = qobject_cast<const data::MimeData*>(mime);
    // A drag that did not start in a list (the whole keyboard) has nothing
    // to hand back.
    return ours && ours->isDeletable() && sourceListOf(mime);
}

bool TrashLabel::handBack(const QMimeData* mime) {
    if (!isTrashable(mime))
        return false;
    sourceListOf(mime)->sendToTrash();
    return true;
}

void TrashLabel::setArmed(bool armed) {
    armed_ = armed;
    setPixmap(armed ? armedPicture_ : normal_);
}

void TrashLabel::dragEnterEvent(QDragEnterEvent* event) {
    if (isTrashable(event->mimeData())) {
        event->acceptProposedAction();
        setArmed(true);
    } else {
        event->ignore();
    }
}

void TrashLabel::dragMoveEvent(QDragMoveEvent* event) {
    if (isTrashable(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TrashLabel::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
    setArmed(false);
}

void TrashLabel::dropEvent(QDropEvent* event) {
    setArmed(false);
    if (!isTrashable(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    handBack(event->mimeData());
}

} // namespace zel::qmix::gui
