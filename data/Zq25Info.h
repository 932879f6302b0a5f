#pragma once

#include "data/Zq20CInfo.h"

namespace zel::qmix::data {

// Sister of PRV-2100.
class Zq25Info : public Zq20CInfo {
    Q_OBJECT
public:
    static Zq25Info* instance();

    QString modelName() const override;

protected:
    Zq25Info();
};

} // namespace zel::qmix::data
