#include "gui/SdDirSelectToolButton.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

namespace zel::qmix::gui {

namespace {

// File systems that never hold a card: the kernel's views of itself,
// memory-backed and layered ones, and desktop helpers.
bool isPseudoFileSystem(const QByteArray& type) {
    // clang-format off
    static const QSet<QByteArray> pseudo = {
        "autofs", "binfmt_misc", "bpf", "cgroup", "cgroup2", "configfs", "debugfs",
        "devpts", "devtmpfs", "efivarfs", "fusectl", "hugetlbfs", "mqueue", "nsfs",
        "proc", "pstore", "ramfs", "rpc_pipefs", "securityfs", "selinuxfs", "sysfs",
        "tmpfs", "tracefs",
        "overlay", "squashfs",
        "fuse.gvfsd-fuse", "fuse.lxcfs", "fuse.portal", "fuse.snapfuse"};
    // clang-format on
    return type.isEmpty() || pseudo.contains(type);
}

// Where desktops mount cards, sticks and other media they notice.
bool isRemovableMountPoint(const QString& rootPath) {
    return rootPath.startsWith(QLatin1String("/media/")) ||
           rootPath.startsWith(QLatin1String("/run/media/"));
}

// A QDir naming no folder at all. QDir("") would be the working folder.
QDir noFolder() {
    QDir none;
    none.setPath(QString());
    return none;
}

} // namespace

SdDirSelectToolButton::SdDirSelectToolButton(QWidget* parent)
    : QToolButton(parent) {
    setPopupMode(QToolButton::InstantPopup);
    setToolTip(tr("SD Card Directory Selector"));
    setMenu(new QMenu(this));
    setButtonText(nothingSelectedText());
    connect(menu(), &QMenu::aboutToShow, this, &SdDirSelectToolButton::setSdDirToMenu);
    connect(menu(), &QMenu::triggered, this, &SdDirSelectToolButton::emitSelectedSignal);
}

QString SdDirSelectToolButton::nothingSelectedText() {
    return tr("Select") + QStringLiteral("  ");
}

QList<QDir> SdDirSelectToolButton::places() const {
    QList<QDir> dirs;
    for (const Place& place : places_)
        dirs.append(place.dir);
    return dirs;
}

QList<SdDirSelectToolButton::Volume>
SdDirSelectToolButton::drivesAmong(const QList<Volume>& mounted) {
    QList<Volume> drives;
    QSet<QString> seen;
    for (const Volume& volume : mounted) {
        if (!volume.ready || volume.rootPath.isEmpty() ||
            isPseudoFileSystem(volume.fileSystemType) || seen.contains(volume.rootPath))
            continue;
        seen.insert(volume.rootPath);
        drives.append(volume);
    }
    std::stable_partition(drives.begin(), drives.end(),
                          [](const Volume& v) { return isRemovableMountPoint(v.rootPath); });
    return drives;
}

QString SdDirSelectToolButton::buttonTextFor(const QString& label, const QString& path) {
    QString text = label;
    if (!text.isEmpty())
        text += QLatin1Char(' ');
    return text + QLatin1Char('(') + QDir::toNativeSeparators(path) + QLatin1Char(')');
}

QList<SdDirSelectToolButton::Volume> SdDirSelectToolButton::volumes() const {
    QList<Volume> mounted;
    const QList<QStorageInfo> infos = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& info : infos)
        mounted.append({info.rootPath(), info.name(), info.fileSystemType(),
                        info.isValid() && info.isReady()});
    return drivesAmong(mounted);
}

QString SdDirSelectToolButton::askFolder() {
    const QString start = lastSelectedPath_.isEmpty() ? QDir::homePath() : lastSelectedPath_;
    return QFileDialog::getExistingDirectory(this, tr("Other folder..."), start,
                                             QFileDialog::ShowDirsOnly);
}

// ------------------------------------------------------------------ menu

void SdDirSelectToolButton::setSdDirToMenu() {
    menu()->clear();
    places_.clear();
    notFoundAction_ = nullptr;
    otherFolderAction_ = nullptr;

    const QList<Volume> drives = volumes();
    for (const Volume& drive : drives) {
        places_.append({QDir(drive.rootPath), drive.label});
        drivesSeen_.insert(QDir(drive.rootPath).absolutePath());
    }
    for (const QString& folder : std::as_const(otherFolders_)) {
        // A folder that has gone, or that has become a drive, is not
        // offered twice.
        if (QFileInfo(folder).isDir() && placeIndexOf(folder) < 0)
            places_.append({QDir(folder), QString()});
    }
    for (int i = 0; i < places_.size(); ++i) {
        QAction* action =
            menu()->addAction(QDir::toNativeSeparators(places_.at(i).dir.absolutePath()));
        action->setData(i);
    }
    if (places_.isEmpty())
        notFoundAction_ = menu()->addAction(tr("<Not Found>"));
    menu()->addSeparator();
    otherFolderAction_ = menu()->addAction(tr("Other folder..."));
}

int SdDirSelectToolButton::placeIndexOf(const QString& path) const {
    const QDir wanted(path);
    for (int i = 0; i < places_.size(); ++i) {
        if (places_.at(i).dir == wanted)
            return i;
    }
    return -1;
}

int SdDirSelectToolButton::offerFolder(const QString& path) {
    const QString folder = QDir(path).absolutePath();
    if (!otherFolders_.contains(folder))
        otherFolders_.append(folder);
    setSdDirToMenu();
    return placeIndexOf(folder);
}

// -------------------------------------------------------------- choosing

void SdDirSelectToolButton::emitSelectedSignal(QAction* action) {
    if (!action) {
        chooseNothing();
        return;
    }
    if (action == notFoundAction_)
        return;
    if (action == otherFolderAction_) {
        chooseOtherFolder();
        return;
    }
    bool isPlace = false;
    const int index = action->data().toInt(&isPlace);
    if (isPlace && index >= 0 && index < places_.size())
        choosePlace(index);
}

void SdDirSelectToolButton::choosePlace(int index) {
    const Place place = places_.at(index);
    const QString text = buttonTextFor(place.label, place.dir.absolutePath());
    setButtonText(text);
    emit selected(text);
    lastSelectedPath_ = place.dir.absolutePath();
    emit selected(place.dir);
}

void SdDirSelectToolButton::chooseNothing() {
    emit selected(QString());
    emit selected(noFolder());
}

void SdDirSelectToolButton::chooseOtherFolder() {
    const QString folder = askFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    int index = placeIndexOf(folder);
    if (index < 0)
        index = offerFolder(folder);
    if (index >= 0)
        choosePlace(index);
}

void SdDirSelectToolButton::selectSpecifiedPathItem(QString path) {
    // Drives come and go while the program runs.
    setSdDirToMenu();
    int index = -1;
    if (!path.isEmpty() && QFileInfo(path).isDir()) {
        index = placeIndexOf(path);
        const QString folder = QDir(path).absolutePath();
        if (index < 0 && (otherFolders_.contains(folder) || !drivesSeen_.contains(folder)))
            index = offerFolder(folder);
    }
    if (index < 0) {
        chooseNothing();
        setButtonText(nothingSelectedText());
        return;
    }
    const QList<QAction*> actions = menu()->actions();
    const auto entry = std::find_if(actions.begin(), actions.end(), [index](QAction* action) {
        bool isPlace = false;
        return action->data().toInt(&isPlace) == index && isPlace;
    });
    if (entry != actions.end())
        (*entry)->trigger();
}

void SdDirSelectToolButton::selectLastSelectedItem() {
    selectSpecifiedPathItem(lastSelectedPath_);
}

void SdDirSelectToolButton::setButtonText(QString s) {
    setText(s);
    const QString name = s.trimmed();
    setAccessibleName(name.isEmpty() ? toolTip() : name);
}

} // namespace zel::qmix::gui
