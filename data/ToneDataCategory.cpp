#include "data/ToneDataCategory.h"

namespace zel::qmix::data {

ToneDataCategory* ToneDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static ToneDataCategory* const category = new ToneDataCategory();
    return category;
}

const DataCategory::Properties& ToneDataCategory::properties() const {
    static const Properties table{
        3,      "TONE", QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "Tone"),
        ".TN7", "tone", false,
        -1,     false,  false,
        false,  1};
    return table;
}

} // namespace zel::qmix::data
