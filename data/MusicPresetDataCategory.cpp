#include "data/MusicPresetDataCategory.h"

namespace zel::qmix::data {

MusicPresetDataCategory* MusicPresetDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static MusicPresetDataCategory* const category = new MusicPresetDataCategory();
    return category;
}

const DataCategory::Properties& MusicPresetDataCategory::properties() const {
    static const Properties table{
        37,
        "MUSICPRESET",
        QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "Music Preset"),
        ".MPS",
        "mps",
        true,
        43,
        true,
        false,
        true,
        0};
    return table;
}

} // namespace zel::qmix::data
