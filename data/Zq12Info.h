#pragma once

#include "data/KeyboardInfo.h"

namespace zel::qmix::data {

// The first-generation model with a scale memory.
class Zq12Info : public KeyboardInfo {
    Q_OBJECT
public:
    static Zq12Info* instance();

    QString modelName() const override;
    int songMemorySize() const override;
    int musicPresetMemorySize() const override;
    int songDeleteTime() const override;
    int musicPresetDeleteTime() const override;
    int rhythmDeleteTime() const override;
    bool acceptsToneType1() const override;
    QList<int> allDataBlockSizes() const override;

protected:
    Zq12Info();
};

} // namespace zel::qmix::data
