#include "data/DrawbarDataCategory.h"

namespace zel::qmix::data {

DrawbarDataCategory* DrawbarDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static DrawbarDataCategory* const category = new DrawbarDataCategory();
    return category;
}

const DataCategory::Properties& DrawbarDataCategory::properties() const {
    static const Properties table{
        3,      "DRAWBAR", QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "Drawbar Organ"),
        ".DB7", "drawbar", false,
        -1,     false,     false,
        false,  1};
    return table;
}

} // namespace zel::qmix::data
