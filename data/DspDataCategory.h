#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// DSP settings.
class DspDataCategory : public DataCategory {
    Q_OBJECT
public:
    static DspDataCategory* instance();

protected:
    const Properties& properties() const override;

private:
    DspDataCategory() = default;
};

} // namespace zel::qmix::data
