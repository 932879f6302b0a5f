#pragma once

#include "gui/AbstractWaveFileTreeView.h"

namespace zel::qmix::gui {

// The WAV files of the wave folder (Preference tab). Recordings dropped from
// the card are exported here as WAV files with their level raised; play-only
// files at 44100 Hz are WAV files already and are copied as they are.
class WaveFileTreeView : public AbstractWaveFileTreeView {
    Q_OBJECT
public:
    explicit WaveFileTreeView(QWidget* parent = nullptr);

    // The wave folder of the settings, created first when missing.
    QDir listedDirectory() const override;

    // The desktop's icon for WAV files.
    static QIcon waveFileIcon();

protected:
    QStringList nameFilters() const override;
    QIcon fileIcon() const override;
    CardDrop cardDropFor(int kind) const override;
};

} // namespace zel::qmix::gui
