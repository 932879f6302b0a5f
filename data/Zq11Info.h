#pragma once

#include "data/KeyboardInfo.h"

namespace zel::qmix::data {

// The first-generation model with a drawbar organ.
class Zq11Info : public KeyboardInfo {
    Q_OBJECT
public:
    static Zq11Info* instance();

    QString modelName() const override;
    int songMemorySize() const override;
    int musicPresetMemorySize() const override;
    int songDeleteTime() const override;
    int musicPresetDeleteTime() const override;
    int rhythmDeleteTime() const override;
    bool acceptsToneType1() const override;
    QList<int> allDataBlockSizes() const override;

protected:
    Zq11Info();
};

} // namespace zel::qmix::data
