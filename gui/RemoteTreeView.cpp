#include "gui/RemoteTreeView.h"

#include "data/MimeData.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QUrl>

namespace zel::qmix::gui {

RemoteTreeView::RemoteTreeView(QWidget* parent)
    : AbstractTreeView(parent) {
    setDragDropMode(QAbstractItemView::DragDrop);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
}

QStringList RemoteTreeView::localFilePaths(const QMimeData* mime) {
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths;
}

bool RemoteTreeView::isOwnDrag(const QMimeData* mime) const {
    const auto* ours = qobject_cast<const data::MimeData*>(mime);
    return ours && ours->sourceView() == this;
}

bool RemoteTreeView::acceptsDrop(const QMimeData* mime, const QModelIndex& index) const {
    return index.isValid() && !isOwnDrag(mime) && !localFilePaths(mime).isEmpty();
}

QModelIndex RemoteTreeView::rowAt(const QPoint& position) const {
    const QModelIndex index = indexAt(position);
    return index.isValid() ? index.sibling(index.row(), 0) : QModelIndex();
}

void RemoteTreeView::dragEnterEvent(QDragEnterEvent* event) {
    // The row is not known yet; the move events that follow decide per row.
    if (isOwnDrag(event->mimeData()) || localFilePaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void RemoteTreeView::dragMoveEvent(QDragMoveEvent* event) {
    const QPoint position = event->position().toPoint();
    const QModelIndex row = rowAt(position);
    if (!acceptsDrop(event->mimeData(), row)) {
        event->ignore(visualRect(row));
        return;
    }
    // Shows the row the files would go to.
    if (selectionModel())
        selectionModel()->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
    event->acceptProposedAction();
}

void RemoteTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void RemoteTreeView::dropEvent(QDropEvent* event) {
    const QModelIndex row = rowAt(event->position().toPoint());
    if (!acceptsDrop(event->mimeData(), row)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    filesDropped(localFilePaths(event->mimeData()), row);
}

} // namespace zel::qmix::gui
