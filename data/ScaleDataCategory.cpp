#include "data/ScaleDataCategory.h"

namespace zel::qmix::data {

ScaleDataCategory* ScaleDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static ScaleDataCategory* const category = new ScaleDataCategory();
    return category;
}

const DataCategory::Properties& ScaleDataCategory::properties() const {
    static const Properties table{
        18,     "SCALE", QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "Scale Memory"),
        ".CSD", "scale", false,
        -1,     false,   true,
        false,  0};
    return table;
}

} // namespace zel::qmix::data
