#include "data/Zq14Info.h"

namespace zel::qmix::data {

Zq14Info* Zq14Info::instance() {
    static Zq14Info* const model = new Zq14Info();
    return model;
}

Zq14Info::Zq14Info() {}

QString Zq14Info::modelName() const {
    return QStringLiteral("LM-4200 ");
}

} // namespace zel::qmix::data
