#include "data/SequencerDataCategory.h"

namespace zel::qmix::data {

SequencerDataCategory* SequencerDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static SequencerDataCategory* const category = new SequencerDataCategory();
    return category;
}

const DataCategory::Properties& SequencerDataCategory::properties() const {
    static const Properties table{
        33,
        "SEQUENCER",
        QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "Song Sequencer"),
        ".CMS",
        "seq",
        true,
        817,
        true,
        false,
        true,
        0};
    return table;
}

} // namespace zel::qmix::data
