#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// Scale memories.
class ScaleDataCategory : public DataCategory {
    Q_OBJECT
public:
    static ScaleDataCategory* instance();

protected:
    const Properties& properties() const override;

private:
    ScaleDataCategory() = default;
};

} // namespace zel::qmix::data
