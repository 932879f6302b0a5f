#pragma once

#include <QString>

namespace zel::qmix::data {

class DataCategory;

// One assignment of a package: the item called `name` goes into area
// `areaNum` (counted from 0 within the category on the package's model).
class DataPackageElement {
public:
    DataPackageElement() = default;
    DataPackageElement(const DataCategory* category, int areaNum, const QString& name);

    // Null in an empty element.
    const DataCategory* category = nullptr;
    QString name;
    // -1 in an empty element.
    int areaNum = -1;

    bool operator==(const DataPackageElement& other) const;
    bool operator!=(const DataPackageElement& other) const { return !(*this == other); }
};

} // namespace zel::qmix::data
