#include "data/Zq15Info.h"

namespace zel::qmix::data {

Zq15Info* Zq15Info::instance() {
    static Zq15Info* const model = new Zq15Info();
    return model;
}

Zq15Info::Zq15Info() {}

QString Zq15Info::modelName() const {
    return QStringLiteral("QS-2    ");
}

} // namespace zel::qmix::data
