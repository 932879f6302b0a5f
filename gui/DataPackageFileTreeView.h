#pragma once

#include "gui/PcTreeView.h"

#include <QIcon>

namespace zel::qmix::gui {

// The package files (".PK7") of the main data folder, to be sent to the
// keyboard from the Package Transfer tab.
class DataPackageFileTreeView : public PcTreeView {
    Q_OBJECT
public:
    explicit DataPackageFileTreeView(QWidget* parent = nullptr);

    using LocalTreeView::reload;

public slots:
    // Packages are listed whatever category was chosen elsewhere.
    void reload(zel::qmix::data::const_DataCategory* category) override;
    void reload() override;

protected:
    QPixmap dragPixmap() const override;

private:
    QIcon icon_;
};

} // namespace zel::qmix::gui
