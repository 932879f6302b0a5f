#include "etc/AlwaysYesChecker.h"

namespace zel::qmix::etc {

bool AlwaysYesChecker::check(QVariant) {
    return true;
}

} // namespace zel::qmix::etc
