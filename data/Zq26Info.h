#pragma once

#include "data/Zq21CInfo.h"

namespace zel::qmix::data {

// Sister of PRV-2200.
class Zq26Info : public Zq21CInfo {
    Q_OBJECT
public:
    static Zq26Info* instance();

    QString modelName() const override;

protected:
    Zq26Info();
};

} // namespace zel::qmix::data
