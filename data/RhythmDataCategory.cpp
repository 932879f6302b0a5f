#include "data/RhythmDataCategory.h"

namespace zel::qmix::data {

RhythmDataCategory* RhythmDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static RhythmDataCategory* const category = new RhythmDataCategory();
    return category;
}

QStringList RhythmDataCategory::extensions() const {
    return {QStringLiteral(".AC7"), QStringLiteral(".Z00"), QStringLiteral(".CKF")};
}

const DataCategory::Properties& RhythmDataCategory::properties() const {
    static const Properties table{
        36,     "RHYTHM", QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "Rhythm"),
        ".AC7", "rhythm", false,
        -1,     true,     false,
        true,   0};
    return table;
}

} // namespace zel::qmix::data
