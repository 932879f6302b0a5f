#pragma once

#include "etc/GenericChecker.h"

namespace zel::qmix::etc {

// For sends that overwrite by design (packages, clearing an area): never asks.
class AlwaysYesChecker : public GenericChecker {
    Q_OBJECT
public:
    using GenericChecker::GenericChecker;

    bool check(QVariant subject) override;
};

} // namespace zel::qmix::etc
