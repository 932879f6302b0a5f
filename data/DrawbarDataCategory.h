#pragma once

#include "data/DataCategory.h"

namespace zel::qmix::data {

// Drawbar-organ settings; they share the tone category byte.
class DrawbarDataCategory : public DataCategory {
    Q_OBJECT
public:
    static DrawbarDataCategory* instance();

protected:
    const Properties& properties() const override;

private:
    DrawbarDataCategory() = default;
};

} // namespace zel::qmix::data
