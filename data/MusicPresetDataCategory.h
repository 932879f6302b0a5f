#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// Music presets.
class MusicPresetDataCategory : public DataCategory {
    Q_OBJECT
public:
    static MusicPresetDataCategory* instance();

protected:
    const Properties& properties() const override;

private:
    MusicPresetDataCategory() = default;
};

} // namespace zel::qmix::data
