#include "gui/WaveFileTreeView.h"

#include "etc/Settings.h"
#include "file/CardAudioEntry.h"

#include <QDir>
#include <QFileIconProvider>
#include <QMutex>
#include <QMutexLocker>
#include <QTemporaryFile>

namespace zel::qmix::gui {

WaveFileTreeView::WaveFileTreeView(QWidget* parent)
    : AbstractWaveFileTreeView(parent) {
    setAccessibleName(tr("PC WAVE Files"));
}

QDir WaveFileTreeView::listedDirectory() const {
    const QString path = etc::Settings::instance()->waveDataDirectory();
    etc::Settings::ensureDirectory(path);
    return QDir(path);
}

QIcon WaveFileTreeView::waveFileIcon() {
    static QMutex mutex;
    static QIcon icon;
    static bool known = false;
    const QMutexLocker lock(&mutex);
    if (!known) {
        // The desktop chooses icons by looking at a file; a short-lived
        // empty one is enough.
        QTemporaryFile probe(QDir(QDir::tempPath()).filePath(QStringLiteral("XXXXXX.wav")));
        if (probe.open())
            icon = QFileIconProvider().icon(QFileInfo(probe.fileName()));
        known = true;
    }
    return icon;
}

QStringList WaveFileTreeView::nameFilters() const {
    return {QStringLiteral("*.wav")};
}

QIcon WaveFileTreeView::fileIcon() const {
    return waveFileIcon();
}

AbstractWaveFileTreeView::CardDrop WaveFileTreeView::cardDropFor(int kind) const {
    switch (kind) {
    case file::CardAudioEntry::Recordable:
        return CardDrop::exportWithConversion();
    case file::CardAudioEntry::PlayOnly44100:
        return CardDrop::copyAs(QStringLiteral(".wav"));
    default:
        // 42819 Hz is no rate a WAV player expects, and converting is only
        // offered for recordings.
        return CardDrop::ignore();
    }
}

} // namespace zel::qmix::gui
