#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// Rhythms.
class RhythmDataCategory : public DataCategory {
    Q_OBJECT
public:
    static RhythmDataCategory* instance();
    // Rhythms are also accepted in two older container forms.
    QStringList extensions() const override;

protected:
    const Properties& properties() const override;

private:
    RhythmDataCategory() = default;
};

} // namespace zel::qmix::data
