#pragma once

#include "data/Zq11Info.h"

namespace zel::qmix::data {

// Second generation of PRV-1200 with its own empty-song variant.
class Zq21CInfo : public Zq11Info {
    Q_OBJECT
public:
    static Zq21CInfo* instance();

    QString modelName() const override;
    int songDeleteTime() const override;
    int musicPresetDeleteTime() const override;
    int rhythmDeleteTime() const override;
    bool isSecondGeneration() const override;
    QList<int> allDataBlockSizes() const override;
    int emptySongVariant() const override;

protected:
    Zq21CInfo();
};

} // namespace zel::qmix::data
