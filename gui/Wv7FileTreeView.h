#pragma once

#include "gui/AbstractWaveFileTreeView.h"

namespace zel::qmix::gui {

// The card's audio files as kept on the PC, "*.wv7" files of one folder:
// card entries dropped here are copied unchanged, to be put back on a card
// later. Lists the wave folder until it is given a folder of its own.
class Wv7FileTreeView : public AbstractWaveFileTreeView {
    Q_OBJECT
public:
    explicit Wv7FileTreeView(QWidget* parent = nullptr);

    QDir listedDirectory() const override;
    void setListedDirectory(const QDir& folder);

protected:
    QStringList nameFilters() const override;
    QIcon fileIcon() const override;
    CardDrop cardDropFor(int kind) const override;

private:
    QString folder_;
};

} // namespace zel::qmix::gui
