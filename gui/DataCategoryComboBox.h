#pragma once

#include "data/DataCategory.h"

#include <QComboBox>
#include <QStringList>

namespace zel::qmix::data {
class KeyboardInfo;
}

namespace zel::qmix::gui {

// Chooses the data category a tab's lists show: offers the categories of the
// connected keyboard's model (less those whose key words are in
// `categoryMask`) and reports every change of choice.
class DataCategoryComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QStringList categoryMask READ categoryMask WRITE setCategoryMask)
public:
    explicit DataCategoryComboBox(QWidget* parent = nullptr);

    QStringList categoryMask() const { return mask_; }
    void setCategoryMask(const QStringList& mask) { mask_ = mask; }

    // The category last reported, null before the first.
    const data::DataCategory* currentCategory() const { return current_; }
    // The category an item carries.
    const data::DataCategory* categoryAt(int index) const;

    // The categories of a model, in the order of its descriptors.
    static data::DataCategoryList categoriesOf(const data::KeyboardInfo* model);

signals:
    void currentCategoryChanged(zel::qmix::data::const_DataCategory* category);

public slots:
    void emitCurrentCategoryChangedSignal(int index);
    void emitCurrentCategoryChangedSignal();
    void reload(zel::qmix::data::DataCategoryList list);
    // Offers the categories of the current keyboard model.
    virtual void reload();

private:
    QStringList mask_;
    const data::DataCategory* current_ = nullptr;
    bool reloading_ = false;
};

} // namespace zel::qmix::gui
