#pragma once

#include <QIcon>
#include <QPixmap>
#include <QTreeView>

namespace zel::qmix::data {
class MimeData;
}

namespace zel::qmix::gui {

// The common base of the program's lists: rows dragged from one start a drag
// that carries the program's own drag data (with this view as its source), and
// the trash hands a drop of such a drag back to its source view.
class AbstractTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit AbstractTreeView(QWidget* parent = nullptr);

signals:
    // Around a drag of rows from here, so that the lists it must not be
    // dropped on can refuse it meanwhile.
    void dragStarted();
    void dragEnded();

public slots:
    // Deletes (or clears) what is selected; called when the selection was
    // dropped on the trash.
    virtual void sendToTrash() = 0;
    void enable() { setEnabled(true); }
    void disable() { setEnabled(false); }

protected:
    // The drag data for the selected rows, or null when they cannot be dragged.
    // The caller makes this view the data's source.
    virtual data::MimeData* createDragData() = 0;
    // The picture under the cursor while rows are dragged; none by default.
    virtual QPixmap dragPixmap() const { return QPixmap(); }
    // The icon at drag-picture size, half transparent, so that the rows
    // under the cursor stay readable.
    static QPixmap fadedDragPicture(const QIcon& icon);
    void startDrag(Qt::DropActions supportedActions) override;
};

} // namespace zel::qmix::gui
