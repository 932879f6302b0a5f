#include "gui/DataPackageAllContentsTreeView.h"

#include "data/CategoryDescriptor.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "file/PackageFile.h"

#include <QHeaderView>
#include <QPixmap>
#include <QStandardItemModel>

namespace zel::qmix::gui {

namespace {

QStandardItem* readOnlyItem(const QString& text = QString()) {
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setDropEnabled(false);
    item->setDragEnabled(false);
    return item;
}

// The rows of one category's filled areas; empty when none is filled.
QList<QList<QStandardItem*>> areaRows(const file::PackageFile& package,
                                      const data::KeyboardInfo* model,
                                      const data::DataCategory* category) {
    QList<QList<QStandardItem*>> rows;
    const QList<file::PackageArea> areas = package.areasOf(category->keyWord());
    for (int area = 0; area < areas.size(); ++area) {
        const file::PackageArea& record = areas.at(area);
        if (record.size < 0)
            continue;
        QStandardItem* number = readOnlyItem(QString::number(model->firstNumber(category) + area));
        number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QStandardItem* name = readOnlyItem(record.dataName);
        name->setIcon(category->largeIcon());
        rows.append(QList<QStandardItem*>{number, name});
    }
    return rows;
}

} // namespace

DataPackageAllContentsTreeView::DataPackageAllContentsTreeView(QWidget* parent)
    : QTreeView(parent)
    , model_(new QStandardItemModel(0, 2, this)) {
    setModel(model_);
    setAccessibleName(tr("All Category"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setIconSize(QSize(26, 26));
    header()->setSectionsMovable(false);
}

void DataPackageAllContentsTreeView::reload(QVariant package) {
    if (!package.canConvert<file::PackageFile>()) {
        model_->clear();
        setEnabled(false);
        return;
    }
    const auto contents = package.value<file::PackageFile>();
    rememberExpansion();
    model_->clear();
    setEnabled(true);
    model_->setHorizontalHeaderLabels({tr("Area"), tr("File Name")});

    const data::KeyboardInfo* model = data::KeyboardInfo::find(contents.modelName());
    if (!model)
        return;
    QStandardItem* root = readOnlyItem(contents.modelName());
    root->setIcon(QIcon(QPixmap(model->smallPicture())));
    model_->appendRow({root, readOnlyItem()});
    for (const data::CategoryDescriptor& descriptor : model->descriptors()) {
        const data::DataCategory* category = descriptor.category;
        if (!category || !contents.areas().contains(category->keyWord()))
            continue;
        const QList<QList<QStandardItem*>> rows = areaRows(contents, model, category);
        if (rows.isEmpty())
            continue;
        QStandardItem* categoryRow = readOnlyItem(category->displayName());
        for (const QList<QStandardItem*>& row : rows)
            categoryRow->appendRow(row);
        root->appendRow({categoryRow, readOnlyItem()});
    }
    restoreExpansion();
}

void DataPackageAllContentsTreeView::rememberExpansion() {
    // An empty list (no package shown meanwhile) has nothing to tell; what
    // was open before stays remembered.
    const QStandardItem* root = model_->item(0);
    if (!root)
        return;
    rootExpanded_ = isExpanded(root->index());
    expandedCategories_.clear();
    for (int row = 0; row < root->rowCount(); ++row) {
        const QStandardItem* category = root->child(row);
        if (isExpanded(category->index()))
            expandedCategories_.insert(category->text());
    }
}

void DataPackageAllContentsTreeView::restoreExpansion() {
    const QStandardItem* root = model_->item(0);
    if (!root)
        return;
    setExpanded(root->index(), rootExpanded_);
    for (int row = 0; row < root->rowCount(); ++row) {
        const QStandardItem* category = root->child(row);
        setExpanded(category->index(), expandedCategories_.contains(category->text()));
    }
}

} // namespace zel::qmix::gui
