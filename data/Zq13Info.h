#pragma once

#include "data/Zq10Info.h"

namespace zel::qmix::data {

// Sister of PRV-1100: its data are interchangeable with it.
class Zq13Info : public Zq10Info {
    Q_OBJECT
public:
    static Zq13Info* instance();

    QString modelName() const override;

protected:
    Zq13Info();
};

} // namespace zel::qmix::data
