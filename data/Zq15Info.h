#pragma once

#include "data/Zq12Info.h"

namespace zel::qmix::data {

// Sister of QS-1: its data are interchangeable with it.
class Zq15Info : public Zq12Info {
    Q_OBJECT
public:
    static Zq15Info* instance();

    QString modelName() const override;

protected:
    Zq15Info();
};

} // namespace zel::qmix::data
