#include "gui/LocalTreeViewSortFilterProxyModel.h"

#include "gui/LocalTreeView.h"

#include <QRegularExpression>

namespace zel::qmix::gui {

namespace {

// Digits read as one 64-bit number at a time never overflow.
constexpr int DigitsPerPiece = 16;

QString leadingDigits(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]+)(.*)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString withoutLeadingZeros(const QString& digits) {
    static const QRegularExpression pattern(QStringLiteral("^0*(.*)"));
    return pattern.match(digits).captured(1);
}

QString baseName(const QString& name) {
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString completeSuffix(const QString& name) {
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

} // namespace

LocalTreeViewSortFilterProxyModel::LocalTreeViewSortFilterProxyModel(QObject* parent)
    : QSortFilterProxyModel(parent) {}

int LocalTreeViewSortFilterProxyModel::compareDigitRuns(const QString& a, const QString& b) {
    const QString runA = withoutLeadingZeros(a);
    const QString runB = withoutLeadingZeros(b);
    if (runA.size() != runB.size())
        return runA.size() < runB.size() ? -1 : 1;
    for (int from = 0; from < runA.size(); from += DigitsPerPiece) {
        const qulonglong pieceA = runA.mid(from, DigitsPerPiece).toULongLong();
        const qulonglong pieceB = runB.mid(from, DigitsPerPiece).toULongLong();
        if (pieceA != pieceB)
            return pieceA < pieceB ? -1 : 1;
    }
    return 0;
}

bool LocalTreeViewSortFilterProxyModel::naturalLessThan(const QString& a, const QString& b) {
    const QString digitsA = leadingDigits(a);
    const QString digitsB = leadingDigits(b);
    if (!digitsA.isEmpty() && !digitsB.isEmpty()) {
        const int byValue = compareDigitRuns(digitsA, digitsB);
        if (byValue != 0)
            return byValue < 0;
    }
    const int byBase = QString::localeAwareCompare(baseName(a), baseName(b));
    if (byBase != 0)
        return byBase < 0;
    return QString::localeAwareCompare(completeSuffix(a).toUpper(), completeSuffix(b).toUpper()) <
           0;
}

bool LocalTreeViewSortFilterProxyModel::lessThan(const QModelIndex& left,
                                                 const QModelIndex& right) const {
    if (left.column() != right.column())
        return QSortFilterProxyModel::lessThan(left, right);
    switch (left.column()) {
    case LocalTreeView::NameColumn:
        return naturalLessThan(left.data(Qt::DisplayRole).toString(),
                               right.data(Qt::DisplayRole).toString());
    case LocalTreeView::SizeColumn:
        return left.data(LocalTreeView::SizeRole).toLongLong() <
               right.data(LocalTreeView::SizeRole).toLongLong();
    default:
        return false;
    }
}

} // namespace zel::qmix::gui
