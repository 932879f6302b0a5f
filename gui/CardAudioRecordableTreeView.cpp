#include "gui/CardAudioRecordableTreeView.h"

#include <QEvent>
#include <QHeaderView>
#include <QStandardItemModel>

namespace zel::qmix::gui {

CardAudioRecordableTreeView::CardAudioRecordableTreeView(QWidget* parent)
    : CardAudioTreeView(parent) {
    setAccessibleName(tr("Rec/Play Files"));
    // It scrolls sideways with the play-only list, which has the bar.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { emit columnWidthChanged(column, width); });
    fitHeightToRows();
}

void CardAudioRecordableTreeView::reloaded() {
    fitHeightToRows();
}

void CardAudioRecordableTreeView::changeEvent(QEvent* event) {
    CardAudioTreeView::changeEvent(event);
    // Both change the height of a row or of the header.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitHeightToRows();
}

void CardAudioRecordableTreeView::fitHeightToRows() {
    // Every row of a listing is as high as its first.
    const int rowHeight = indexRowSizeHint(itemModel()->index(0, NameColumn));
    const int headerHeight = header()->isHidden() ? 0 : header()->sizeHint().height();
    setFixedHeight(2 * frameWidth() + headerHeight + VisibleRows * std::max(rowHeight, 1));
}

} // namespace zel::qmix::gui
