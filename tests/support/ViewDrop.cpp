#include "tests/support/ViewDrop.h"

#include "data/MimeData.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDropEvent>

namespace zel::qmix::testsupport {

namespace {

const Qt::DropActions Actions = Qt::CopyAction | Qt::MoveAction;

} // namespace

bool ViewDrop::dragAndDrop(QWidget* target, const QMimeData* mime, QPoint at) {
    QDragEnterEvent enter(at, Actions, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Actions, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QDropEvent drop(at, Actions, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

bool ViewDrop::dropOnRow(QAbstractItemView* view, const QMimeData* mime, int row) {
    const QPoint at = view->visualRect(view->model()->index(row, 1)).center();
    return dragAndDrop(view->viewport(), mime, at);
}

bool ViewDrop::dropFilesOnRow(QAbstractItemView* view, const QList<QUrl>& files, int row) {
    data::MimeData payload;
    payload.setUrls(files);
    return dropOnRow(view, &payload, row);
}

} // namespace zel::qmix::testsupport
