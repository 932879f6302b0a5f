#pragma once

#include "gui/LocalTreeView.h"

namespace zel::qmix::gui {

// The PC files of one data category in the main data folder (Transfer tab;
// also the backup and package-edit file lists). The category comes with
// reload(category) from the category box.
class PcTreeView : public LocalTreeView {
    Q_OBJECT
public:
    explicit PcTreeView(QWidget* parent = nullptr);

    // The main data folder of the settings, created first when missing.
    QDir listedDirectory() const override;
};

} // namespace zel::qmix::gui
