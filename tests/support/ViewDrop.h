#pragma once

#include <QList>
#include <QPoint>
#include <QUrl>

class QAbstractItemView;
class QMimeData;
class QWidget;

namespace zel::qmix::testsupport {

// Drags and drops as the platform does, with real events: enter, move and
// drop, so that a target sees a drop only after it took the drag.
class ViewDrop {
public:
    // False when the target refused the drag on entering, or the drop.
    static bool dragAndDrop(QWidget* target, const QMimeData* mime, QPoint at = QPoint(5, 5));
    // `mime` dropped on a row of a list (on its second column, where names stand).
    static bool dropOnRow(QAbstractItemView* view, const QMimeData* mime, int row);
    // The program's own drag data carrying `files`, dropped on a row.
    static bool dropFilesOnRow(QAbstractItemView* view, const QList<QUrl>& files, int row);
};

} // namespace zel::qmix::testsupport
