#include "data/Zq21BInfo.h"

#include "data/AllDataCategory.h"
#include "data/DrawbarDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/SequencerDataCategory.h"

namespace zel::qmix::data {

Zq21BInfo* Zq21BInfo::instance() {
    static Zq21BInfo* const model = new Zq21BInfo();
    return model;
}

Zq21BInfo::Zq21BInfo() {
    setFormatVersion(SequencerDataCategory::instance(), 1);
    setFormatVersion(AllDataCategory::instance(), 2);
    setFormatVersion(RegistrationDataCategory::instance(), 2);
    setFormatVersion(DrawbarDataCategory::instance(), 1);
}

QString Zq21BInfo::modelName() const {
    return QStringLiteral("PRV-3200");
}

int Zq21BInfo::songDeleteTime() const {
    return 2000;
}

int Zq21BInfo::musicPresetDeleteTime() const {
    return 1000;
}

int Zq21BInfo::rhythmDeleteTime() const {
    return 1000;
}

bool Zq21BInfo::isSecondGeneration() const {
    return true;
}

QList<int> Zq21BInfo::allDataBlockSizes() const {
    return QList<int>{167932} + repeated(131068, 27);
}

} // namespace zel::qmix::data
