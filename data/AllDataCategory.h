#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// A complete backup of the keyboard's user memory.
class AllDataCategory : public DataCategory {
    Q_OBJECT
public:
    static AllDataCategory* instance();

protected:
    const Properties& properties() const override;

private:
    AllDataCategory() = default;
};

} // namespace zel::qmix::data
