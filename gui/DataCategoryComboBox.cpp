#include "gui/DataCategoryComboBox.h"

#include "data/CategoryDescriptor.h"
#include "data/KeyboardInfo.h"

namespace zel::qmix::gui {

DataCategoryComboBox::DataCategoryComboBox(QWidget* parent)
    : QComboBox(parent) {
    data::DataCategory::registerMetaTypes();
    setAccessibleName(tr("User Data Category"));
    connect(this, &QComboBox::currentIndexChanged, this,
            qOverload<int>(&DataCategoryComboBox::emitCurrentCategoryChangedSignal));
}

const data::DataCategory* DataCategoryComboBox::categoryAt(int index) const {
    return itemData(index, Qt::UserRole).value<data::const_DataCategory*>();
}

data::DataCategoryList DataCategoryComboBox::categoriesOf(const data::KeyboardInfo* model) {
    data::DataCategoryList list;
    if (!model)
        return list;
    for (const data::CategoryDescriptor& descriptor : model->descriptors()) {
        if (descriptor.category)
            list.append(descriptor.category);
    }
    return list;
}

void DataCategoryComboBox::emitCurrentCategoryChangedSignal(int index) {
    if (reloading_ || index < 0 || index >= count())
        return;
    const data::DataCategory* category = categoryAt(index);
    emit currentCategoryChanged(category);
    current_ = category;
}

void DataCategoryComboBox::emitCurrentCategoryChangedSignal() {
    if (reloading_)
        return;
    if (current_)
        emitCurrentCategoryChangedSignal(currentIndex());
    else if (count() > 0)
        emitCurrentCategoryChangedSignal(0);
}

void DataCategoryComboBox::reload(data::DataCategoryList list) {
    reloading_ = true;
    const int previous = currentIndex();
    const data::DataCategory* remembered =
        previous >= 0 ? categoryAt(previous) : (list.isEmpty() ? nullptr : list.constFirst());

    clear();
    int rememberedItem = -1;
    for (const data::DataCategory* category : list) {
        if (!category || mask_.contains(category->keyWord()))
            continue;
        if (category == remembered)
            rememberedItem = count();
        addItem(category->smallIcon(), category->displayName(),
                QVariant::fromValue<data::const_DataCategory*>(category));
    }
    reloading_ = false;

    if (rememberedItem >= 0) {
        // Through -1, so that the lists are told even when the same item
        // stays current.
        setCurrentIndex(-1);
        setCurrentIndex(rememberedItem);
    } else if (count() > 0 && categoryAt(currentIndex()) != current_) {
        // The chosen category is gone (another model): the lists follow
        // what the box now shows instead of keeping the old category.
        emitCurrentCategoryChangedSignal(currentIndex());
    }
}

void DataCategoryComboBox::reload() {
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    if (!model)
        return;
    reload(categoriesOf(model));
}

} // namespace zel::qmix::gui
