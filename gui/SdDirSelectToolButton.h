#pragma once

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QToolButton>

class QAction;

namespace zel::qmix::gui {

// Chooses where the keyboard's SD card is: one of the mounted drives (the
// removable ones first), or, through "Other folder...", any folder, since
// users also keep card images and copies in ordinary folders. The menu is
// filled anew each time it opens.
class SdDirSelectToolButton : public QToolButton {
    Q_OBJECT
public:
    // A mounted file system as the system reports it.
    struct Volume {
        QString rootPath;
        QString label;
        QByteArray fileSystemType;
        bool ready = true;
    };

    explicit SdDirSelectToolButton(QWidget* parent = nullptr);

    // The places of the menu, in menu order: drives, then folders chosen
    // through "Other folder...".
    QList<QDir> places() const;
    // The absolute path chosen last, "" before the first choice.
    QString lastSelectedPath() const { return lastSelectedPath_; }

    // The volumes that can hold a card: ready, real file systems (no pseudo
    // or system file systems), each mount point once, removable media first,
    // otherwise in the order given.
    static QList<Volume> drivesAmong(const QList<Volume>& mounted);
    // "SDCARD (/media/anna/SDCARD)", or "(/media/anna/SDCARD)" without a label.
    static QString buttonTextFor(const QString& label, const QString& path);
    // The button's text while nothing is chosen.
    static QString nothingSelectedText();

signals:
    void selected(QString text);
    void selected(QDir dir);

public slots:
    // Chooses the place at `path`; an existing folder that is no drive (and
    // was none since the start) is offered from then on. Otherwise nothing is
    // chosen.
    void selectSpecifiedPathItem(QString path);
    void selectLastSelectedItem();
    void setSdDirToMenu();
    void setButtonText(QString s);
    void emitSelectedSignal(QAction* action);

protected:
    // The drives the menu offers; drivesAmong() of the mounted volumes.
    virtual QList<Volume> volumes() const;
    // A folder the user picks, "" when cancelled.
    virtual QString askFolder();

private:
    struct Place {
        QDir dir;
        QString label;
    };

    int placeIndexOf(const QString& path) const;
    // Remembers a folder that is no drive; returns its place's index.
    int offerFolder(const QString& path);
    void choosePlace(int index);
    void chooseNothing();
    void chooseOtherFolder();

    QList<Place> places_;
    QStringList otherFolders_;
    // Mount points offered as drives since the start: when one of them is no
    // drive any more, the folder left behind is not the card.
    QSet<QString> drivesSeen_;
    QString lastSelectedPath_;
    QAction* notFoundAction_ = nullptr;
    QAction* otherFolderAction_ = nullptr;
};

} // namespace zel::qmix::gui
