#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// User tones.
class ToneDataCategory : public DataCategory {
    Q_OBJECT
public:
    static ToneDataCategory* instance();

protected:
    const Properties& properties() const override;

private:
    ToneDataCategory() = default;
};

} // namespace zel::qmix::data
