#include "gui/TrashButton.h"

#include "gui/TrashLabel.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>

namespace zel::qmix::gui {

TrashButton::TrashButton(QWidget* parent)
    : QPushButton(parent) {
    setAcceptDrops(true);
    setIcon(QIcon(QStringLiteral(":/images/trash.png")));
    setToolTip(tr("Trash Box"));
    setAccessibleName(tr("Trash Box"));
}

void TrashButton::setArmed(bool armed) {
    if (armed) {
        setCheckable(true);
        setChecked(true);
    } else {
        setChecked(false);
        setCheckable(false);
    }
}

void TrashButton::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
    setArmed(true);
}

void TrashButton::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
    setArmed(false);
}

void TrashButton::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    setArmed(false);
    TrashLabel::handBack(event->mimeData());
}

} // namespace zel::qmix::gui
