#pragma once

#include <QSet>
#include <QString>
#include <QTreeView>
#include <QVariant>

class QStandardItemModel;

namespace zel::qmix::gui {

// The filled areas of every category of the edited package as one tree: the
// package's model at the root, below it the categories, below them the
// areas. It follows the contents view (reloaded there, shown here) and keeps
// the rows the user opened open across reloads.
class DataPackageAllContentsTreeView : public QTreeView {
    Q_OBJECT
public:
    enum Column { AreaColumn = 0, NameColumn = 1 };

    explicit DataPackageAllContentsTreeView(QWidget* parent = nullptr);

    QStandardItemModel* itemModel() const { return model_; }

public slots:
    // `package` holds a file::PackageFile; anything else empties the list.
    void reload(QVariant package);

private:
    void rememberExpansion();
    void restoreExpansion();

    QStandardItemModel* model_;
    bool rootExpanded_ = false;
    // Display names of the open category rows.
    QSet<QString> expandedCategories_;
};

} // namespace zel::qmix::gui
