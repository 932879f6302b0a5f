#include "data/DataPackageElement.h"

namespace zel::qmix::data {

DataPackageElement::DataPackageElement(const DataCategory* category, int areaNum,
                                       const QString& name)
    : category(category)
    , name(name)
    , areaNum(areaNum) {}

bool DataPackageElement::operator==(const DataPackageElement& other) const {
    return category == other.category && name == other.name && areaNum == other.areaNum;
}

} // namespace zel::qmix::data
