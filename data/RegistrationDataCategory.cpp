#include "data/RegistrationDataCategory.h"

namespace zel::qmix::data {

RegistrationDataCategory* RegistrationDataCategory::instance() {
    // Lives for the whole process: categories are compared by identity and
    // may be reached from any thread until the very end.
    static RegistrationDataCategory* const category = new RegistrationDataCategory();
    return category;
}

const DataCategory::Properties& RegistrationDataCategory::properties() const {
    static const Properties table{
        34,
        "REGISTRATION",
        QT_TRANSLATE_NOOP("zel::qmix::data::DataCategory", "Registration"),
        ".RM7",
        "registration",
        false,
        -1,
        false,
        true,
        false,
        1};
    return table;
}

} // namespace zel::qmix::data
