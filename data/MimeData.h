#pragma once

#include <QList>
#include <QMimeData>
#include <QPointer>
#include <QVariantList>

namespace zel::qmix::data {

class DataCategory;

// What the program's own views put on a drag: besides the standard URL list
// of dragged files, the view the drag came from, the category and keyboard
// areas dragged, whether they may go to the trash, and whether the drag is
// the whole keyboard. Drops from other programs carry plain QMimeData and are
// told apart by qobject_cast.
class MimeData : public QMimeData {
    Q_OBJECT
public:
    // Present on every drag of ours, so that the drag can be recognised
    // through formats() as well.
    static QString format();

    MimeData();

    QObject* sourceView() const { return sourceView_; }
    void setSourceView(QObject* view) { sourceView_ = view; }

    const DataCategory* category() const { return category_; }
    void setCategory(const DataCategory* category) { category_ = category; }

    // Area numbers as the commands address them (not as the keyboard shows them).
    QList<int> areaNumbers() const { return areaNumbers_; }
    void setAreaNumbers(const QList<int>& areas) { areaNumbers_ = areas; }
    bool hasAreas() const { return category_ && !areaNumbers_.isEmpty(); }

    bool isDeletable() const { return deletable_; }
    void setDeletable(bool deletable) { deletable_ = deletable; }

    bool isEntireKeyboard() const { return entireKeyboard_; }
    void setEntireKeyboard(bool entire) { entireKeyboard_ = entire; }

    // Items of other kinds (package elements, card entries), as the view
    // that started the drag describes them.
    QVariantList entries() const { return entries_; }
    void setEntries(const QVariantList& entries) { entries_ = entries; }
    // Card entries dragged from the play-only list (not the recordable one).
    bool isFromPlayOnlyList() const { return fromPlayOnlyList_; }
    void setFromPlayOnlyList(bool playOnly) { fromPlayOnlyList_ = playOnly; }

private:
    QPointer<QObject> sourceView_;
    const DataCategory* category_ = nullptr;
    QList<int> areaNumbers_;
    bool deletable_ = true;
    bool entireKeyboard_ = false;
    QVariantList entries_;
    bool fromPlayOnlyList_ = false;
};

} // namespace zel::qmix::data
