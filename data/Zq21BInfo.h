#pragma once

#include "data/Zq11Info.h"

namespace zel::qmix::data {

// Second generation of PRV-1200.
class Zq21BInfo : public Zq11Info {
    Q_OBJECT
public:
    static Zq21BInfo* instance();

    QString modelName() const override;
    int songDeleteTime() const override;
    int musicPresetDeleteTime() const override;
    int rhythmDeleteTime() const override;
    bool isSecondGeneration() const override;
    QList<int> allDataBlockSizes() const override;

protected:
    Zq21BInfo();
};

} // namespace zel::qmix::data
