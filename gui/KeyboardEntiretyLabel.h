#pragma once

#include <QLabel>
#include <QPoint>

class QMimeData;

namespace zel::qmix::gui {

// The picture of the whole keyboard. A backup file dropped on it is restored,
// a package file dropped on it is sent; in backup mode the picture itself can
// be dragged onto the backup list to save the keyboard there.
class KeyboardEntiretyLabel : public QLabel {
    Q_OBJECT
public:
    explicit KeyboardEntiretyLabel(QWidget* parent = nullptr);

    void setBackupMode(bool backupMode);
    bool isBackupMode() const { return backupMode_; }

    // The path of the one file a drag of the program's own lists carries
    // when this label takes it; empty otherwise.
    QString acceptedFile(const QMimeData* mime) const;

signals:
    void backupFileDropped(QString filePath);
    void packageFileDropped(QString filePath);

public slots:
    void reload();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void startKeyboardDrag();

    QPoint dragStart_;
    bool backupMode_ = false;
};

} // namespace zel::qmix::gui
