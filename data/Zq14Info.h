#pragma once

#include "data/Zq11Info.h"

namespace zel::qmix::data {

// Sister of PRV-1200: its data are interchangeable with it.
class Zq14Info : public Zq11Info {
    Q_OBJECT
public:
    static Zq14Info* instance();

    QString modelName() const override;

protected:
    Zq14Info();
};

} // namespace zel::qmix::data
