#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// Registration memories.
class RegistrationDataCategory : public DataCategory {
    Q_OBJECT
public:
    static RegistrationDataCategory* instance();

protected:
    const Properties& properties() const override;

private:
    RegistrationDataCategory() = default;
};

} // namespace zel::qmix::data
