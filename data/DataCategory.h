#pragma once

#include <QIcon>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

namespace zel::qmix::data {

// One kind of user data that the keyboard keeps in numbered memory areas.
// Every category is a single shared object, compared by identity; its
// properties are constants of the subclass.
class DataCategory : public QObject {
    Q_OBJECT
public:
    // File extensions (upper case, with the dot) accepted on the PC side.
    virtual QStringList extensions() const;
    // The extension under which files of this category are written.
    virtual QString extension() const;
    virtual QIcon largeIcon() const;
    virtual QIcon smallIcon() const;
    virtual QString displayName() const;
    // Names the category in package lists and package files.
    virtual QString keyWord() const;
    // The category byte of the keyboard protocol.
    virtual int id() const;
    // The keyboard keeps a shared memory pool for this category.
    virtual bool hasMemoryGauge() const;
    // Byte size of an empty area's data, -1 where not applicable.
    virtual int emptyDataSize() const;
    virtual bool isDeletable() const;
    // Received data have no name of their own: files are named by model and date.
    virtual bool isNamedByModelAndDate() const;
    virtual bool isVariableSize() const;
    // Second-generation models send packages in the order of these groups.
    virtual int sendGroup() const;

    // Every category, in the order of the category table.
    static QList<DataCategory*> all();
    // The category whose key word is `keyWord` (exact match), or null.
    static DataCategory* fromKeyWord(const QString& keyWord);
    // The category whose extensions() hold the extension of `fileName`
    // (any case), or null. Rhythm wins over no other category: the
    // extensions of all categories are distinct.
    static DataCategory* fromFileName(const QString& fileName);

    // Makes category pointers and lists travel through queued signals under
    // the names the views' signatures use.
    static void registerMetaTypes();

protected:
    struct Properties {
        int id;
        const char* keyWord;
        const char* displayName;
        const char* extension;
        const char* iconName;
        bool memoryGauge;
        int emptyDataSize;
        bool deletable;
        bool namedByModelAndDate;
        bool variableSize;
        int sendGroup;
    };

    DataCategory() = default;
    virtual const Properties& properties() const = 0;

private:
    QIcon icon(int size) const;
};

using const_DataCategory = const DataCategory;
using DataCategoryList = QList<const DataCategory*>;

// Maps a category byte from the keyboard protocol back to its category for
// the current model; null for identifiers no category uses.
DataCategory* categoryFromId(int id, int keyboardArea);

} // namespace zel::qmix::data

Q_DECLARE_METATYPE(zel::qmix::data::const_DataCategory*)
Q_DECLARE_METATYPE(zel::qmix::data::DataCategoryList)
