#pragma once

#include "data/Zq10Info.h"

namespace zel::qmix::data {

// Second generation of PRV-1100.
class Zq20CInfo : public Zq10Info {
    Q_OBJECT
public:
    static Zq20CInfo* instance();

    QString modelName() const override;
    int songDeleteTime() const override;
    int musicPresetDeleteTime() const override;
    int rhythmDeleteTime() const override;
    bool isSecondGeneration() const override;
    QList<int> allDataBlockSizes() const override;

protected:
    Zq20CInfo();
};

} // namespace zel::qmix::data
