#pragma once

#include "gui/AbstractTreeView.h"

#include <QStringList>

class QMimeData;

namespace zel::qmix::gui {

// The base of the lists that show what lives on the keyboard side. PC files
// dragged onto a row (from the program's PC list or from a file manager)
// are handed to the subclass with the row they were dropped on; rows dragged
// within the same view are not taken back, so dropping an area onto the
// list it came from does nothing.
class RemoteTreeView : public AbstractTreeView {
    Q_OBJECT
public:
    explicit RemoteTreeView(QWidget* parent = nullptr);

    // The local files a drag names, in the order given; empty when it names
    // none (remote URLs are left out).
    static QStringList localFilePaths(const QMimeData* mime);

protected:
    // Whether `mime` carries rows of this very view.
    bool isOwnDrag(const QMimeData* mime) const;
    // Whether a drop of `mime` on `index` (the row under the cursor, invalid
    // where there is none) is wanted. By default: local files from anywhere
    // but this view, dropped on a row.
    virtual bool acceptsDrop(const QMimeData* mime, const QModelIndex& index) const;
    // Local files dropped on `index`, after acceptsDrop() agreed.
    virtual void filesDropped(const QStringList& paths, const QModelIndex& index) = 0;

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QModelIndex rowAt(const QPoint& position) const;
};

} // namespace zel::qmix::gui
