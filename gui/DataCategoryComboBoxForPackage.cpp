#include "gui/DataCategoryComboBoxForPackage.h"

#include "data/KeyboardInfo.h"

namespace zel::qmix::gui {

DataCategoryComboBoxForPackage::DataCategoryComboBoxForPackage(QWidget* parent)
    : DataCategoryComboBox(parent) {
    setAccessibleName(tr("Package Category"));
}

void DataCategoryComboBoxForPackage::setModelSource(ModelSource source) {
    modelSource_ = std::move(source);
}

void DataCategoryComboBoxForPackage::reload() {
    const data::KeyboardInfo* model =
        modelSource_ ? modelSource_() : data::KeyboardInfo::currentModel();
    if (!model)
        return;
    DataCategoryComboBox::reload(categoriesOf(model));
}

} // namespace zel::qmix::gui
