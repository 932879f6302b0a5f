#pragma once

#include <QSortFilterProxyModel>

namespace zel::qmix::gui {

// Orders the rows of a PC file list: names in natural order (9 before 10,
// numbers compared by value however long), sizes by their byte count.
class LocalTreeViewSortFilterProxyModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit LocalTreeViewSortFilterProxyModel(QObject* parent = nullptr);

    // Whether file name `a` comes before `b`: names that both begin with
    // digits go by the value of those digits first; otherwise, and for equal
    // values, by the part before the first dot and then by the rest in upper
    // case, both compared as the user's locale sorts text.
    static bool naturalLessThan(const QString& a, const QString& b);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    // -1, 0 or 1 for digit runs of two names that both have one.
    static int compareDigitRuns(const QString& a, const QString& b);
};

} // namespace zel::qmix::gui
