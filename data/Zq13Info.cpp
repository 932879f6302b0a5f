#include "data/Zq13Info.h"

namespace zel::qmix::data {

Zq13Info* Zq13Info::instance() {
    static Zq13Info* const model = new Zq13Info();
    return model;
}

Zq13Info::Zq13Info() {}

QString Zq13Info::modelName() const {
    return QStringLiteral("LM-4100 ");
}

} // namespace zel::qmix::data
