#pragma once

#include "gui/DataCategoryComboBox.h"

#include <functional>

namespace zel::qmix::gui {

// The category box of the package editor: offers the categories of the
// model the edited package is for, which may differ from the connected one.
class DataCategoryComboBoxForPackage : public DataCategoryComboBox {
    Q_OBJECT
public:
    // Tells which model's categories to offer; null offers nothing new.
    using ModelSource = std::function<const data::KeyboardInfo*()>;

    explicit DataCategoryComboBoxForPackage(QWidget* parent = nullptr);

    // Binds the box to the edited package: `source` answers the package's
    // model (for a package file: KeyboardInfo::find on its model name, null
    // when unknown). Until bound, and for an empty `source`, the current
    // keyboard model is used.
    void setModelSource(ModelSource source);

public slots:
    // Offers the categories of the source's model; does nothing while the
    // source answers null.
    void reload() override;

private:
    ModelSource modelSource_;
};

} // namespace zel::qmix::gui
