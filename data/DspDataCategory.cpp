#include "data/DspDataCategory.h"

namespace zel::qmix::data {

DspDataCategory* DspDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static DspDataCategory* const category = new DspDataCategory();
    return category;
}

const DataCategory::Properties& DspDataCategory::properties() const {
    static const Properties table{
        19,     "DSP", QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "DSP"),
        ".DS7", "dsp", false,
        -1,     false, false,
        false,  1};
    return table;
}

} // namespace zel::qmix::data
