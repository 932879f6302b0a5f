#include "data/AllDataCategory.h"

namespace zel::qmix::data {

AllDataCategory* AllDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static AllDataCategory* const category = new AllDataCategory();
    return category;
}

const DataCategory::Properties& AllDataCategory::properties() const {
    static const Properties table{
        31,     "ALL", QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "All"),
        ".AL7", "all", false,
        -1,     false, true,
        false,  0};
    return table;
}

} // namespace zel::qmix::data
