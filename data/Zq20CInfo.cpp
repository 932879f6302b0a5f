#include "data/Zq20CInfo.h"

#include "data/AllDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/SequencerDataCategory.h"

namespace zel::qmix::data {

Zq20CInfo* Zq20CInfo::instance() {
    static Zq20CInfo* const model = new Zq20CInfo();
    return model;
}

Zq20CInfo::Zq20CInfo() {
    setFormatVersion(SequencerDataCategory::instance(), 1);
    setFormatVersion(AllDataCategory::instance(), 3);
    setFormatVersion(RegistrationDataCategory::instance(), 3);
}

QString Zq20CInfo::modelName() const {
    return QStringLiteral("PRV-2100");
}

int Zq20CInfo::songDeleteTime() const {
    return 1000;
}

int Zq20CInfo::musicPresetDeleteTime() const {
    return 1000;
}

int Zq20CInfo::rhythmDeleteTime() const {
    return 1000;
}

bool Zq20CInfo::isSecondGeneration() const {
    return true;
}

QList<int> Zq20CInfo::allDataBlockSizes() const {
    return {65532, 131068, 131068, 131068, 65532, 131068};
}

} // namespace zel::qmix::data
