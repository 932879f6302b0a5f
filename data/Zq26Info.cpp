#include "data/Zq26Info.h"

namespace zel::qmix::data {

Zq26Info* Zq26Info::instance() {
    static Zq26Info* const model = new Zq26Info();
    return model;
}

Zq26Info::Zq26Info() {}

QString Zq26Info::modelName() const {
    return QStringLiteral("LM-5200 ");
}

} // namespace zel::qmix::data
