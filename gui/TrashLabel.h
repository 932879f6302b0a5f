#pragma once

#include <QLabel>
#include <QPixmap>

class QMimeData;

namespace zel::qmix::gui {

// The trash picture: rows of a list dropped on it are handed back to the
// list they came from, which deletes or clears them. It deletes nothing itself.
class TrashLabel : public QLabel {
    Q_OBJECT
public:
    explicit TrashLabel(QWidget* parent = nullptr);

    // Whether the trash shows that a drop would be taken.
    bool isArmed() const { return armed_; }

    // Whether `mime` is a drag of one of the program's lists that may be
    // deleted.
    static bool isTrashable(const QMimeData* mime);
    // Asks the list the drag came from to delete its selection; false when
    // the drag is not trashable.
    static bool handBack(const QMimeData* mime);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setArmed(bool armed);

    QPixmap normal_;
    QPixmap armedPicture_;
    bool armed_ = false;
};

} // namespace zel::qmix::gui
