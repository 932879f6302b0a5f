#pragma once

#include "data/Zq10Info.h"

namespace zel::qmix::data {

// Second generation of PRV-1100; the only model that follows a sent song up.
class Zq20BInfo : public Zq10Info {
    Q_OBJECT
public:
    static Zq20BInfo* instance();

    QString modelName() const override;
    int songDeleteTime() const override;
    int musicPresetDeleteTime() const override;
    int rhythmDeleteTime() const override;
    bool isSecondGeneration() const override;
    QList<int> allDataBlockSizes() const override;
    bool skipsSongFollowUp() const override;

protected:
    Zq20BInfo();
};

} // namespace zel::qmix::data
