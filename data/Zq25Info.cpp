#include "data/Zq25Info.h"

namespace zel::qmix::data {

Zq25Info* Zq25Info::instance() {
    static Zq25Info* const model = new Zq25Info();
    return model;
}

Zq25Info::Zq25Info() {}

QString Zq25Info::modelName() const {
    return QStringLiteral("LM-5100 ");
}

} // namespace zel::qmix::data
