#include "gui/Wv7FileTreeView.h"

#include "etc/Settings.h"
#include "file/CardAudioEntry.h"

namespace zel::qmix::gui {

Wv7FileTreeView::Wv7FileTreeView(QWidget* parent)
    : AbstractWaveFileTreeView(parent) {
    setAccessibleName(tr("PC WV7 Files"));
}

QDir Wv7FileTreeView::listedDirectory() const {
    if (!folder_.isEmpty())
        return QDir(folder_);
    const QString path = etc::Settings::instance()->waveDataDirectory();
    etc::Settings::ensureDirectory(path);
    return QDir(path);
}

void Wv7FileTreeView::setListedDirectory(const QDir& folder) {
    folder_ = folder.absolutePath();
}

QStringList Wv7FileTreeView::nameFilters() const {
    return {QStringLiteral("*.wv7")};
}

QIcon Wv7FileTreeView::fileIcon() const {
    return QIcon(QStringLiteral(":/images/tonewave.png"));
}

AbstractWaveFileTreeView::CardDrop Wv7FileTreeView::cardDropFor(int kind) const {
    switch (kind) {
    case file::CardAudioEntry::Recordable:
    case file::CardAudioEntry::PlayOnly42819:
        return CardDrop::copyAs(QStringLiteral(".wv7"));
    default:
        // Files at 44100 Hz belong in the WAV list.
        return CardDrop::ignore();
    }
}

} // namespace zel::qmix::gui
