#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// Songs of the song sequencer.
class SequencerDataCategory : public DataCategory {
    Q_OBJECT
public:
    static SequencerDataCategory* instance();

protected:
    const Properties& properties() const override;

private:
    SequencerDataCategory() = default;
};

} // namespace zel::qmix::data
