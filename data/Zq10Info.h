#pragma once

#include "data/KeyboardInfo.h"

namespace zel::qmix::data {

// The first-generation model with ten tones and no drawbar organ.
class Zq10Info : public KeyboardInfo {
    Q_OBJECT
public:
    static Zq10Info* instance();

    QString modelName() const override;
    int songMemorySize() const override;
    int musicPresetMemorySize() const override;
    int songDeleteTime() const override;
    int musicPresetDeleteTime() const override;
    int rhythmDeleteTime() const override;
    bool acceptsToneType1() const override;
    QList<int> allDataBlockSizes() const override;
    bool usesMusicPresetSendCommand() const override;

protected:
    Zq10Info();
};

} // namespace zel::qmix::data
