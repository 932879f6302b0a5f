#pragma once

#include "data/DataPackageElement.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace zel::qmix::data {

class DataCategory;
class KeyboardInfo;

// What a package assigns to the keyboard's areas: at most one named element
// per (category, area), kept in insertion order. It can be stored as a small
// ".cpk" text list:
//   TAVRO MUSIC DATA PACKAGE 2010
//   KEYBOARD:<model>
//   <key word>:<area>:<name>      (one line per element)
class DataPackage : public QObject {
    Q_OBJECT
public:
    explicit DataPackage(QObject* parent = nullptr);

    // The first line of every ".cpk" list.
    static QString headerLine();

    const QList<DataPackageElement>& elements() const { return elements_; }
    // The model named by the last loaded list (or copied by copyFrom()).
    QString modelName() const { return modelName_; }

    int indexOf(const DataCategory* category, int areaNum) const;
    bool contains(const DataCategory* category, int areaNum) const;
    // The elements whose category has the key word of `category`, in package order.
    QList<DataPackageElement> elementsOf(const DataCategory* category) const;

    // One name per area of `category` on `model` ("" where nothing is
    // assigned); where several elements name the same area the first wins.
    static QStringList areaNames(const QList<DataPackageElement>& elements,
                                 const DataCategory* category, const KeyboardInfo* model);
    // Copies the first element of `category` and `areaNum` into `out`.
    static bool element(const QList<DataPackageElement>& elements, const DataCategory* category,
                        int areaNum, DataPackageElement& out);

public slots:
    // Writes the list for the current keyboard model; false if the file
    // cannot be written completely (an existing list then stays as it was)
    // or an element's name would break the line structure.
    bool save(QString filePath);
    // Replaces the elements with the valid lines of the list; false (and
    // nothing changed) if the file cannot be read or its first two lines are
    // not a package list header.
    bool load(QString filePath);
    // Adds `e`, or renames and moves in place the element already holding its area.
    void append(zel::qmix::data::DataPackageElement e);
    void remove(const zel::qmix::data::DataCategory* category, int areaNum);
    // Removes every element; the model name stays.
    void clear();
    void copyFrom(const zel::qmix::data::DataPackage* other);

private:
    QList<DataPackageElement> elements_;
    QString modelName_;
};

using const_DataPackage = const DataPackage;

} // namespace zel::qmix::data
