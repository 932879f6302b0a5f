#include "data/Zq21CInfo.h"

#include "data/AllDataCategory.h"
#include "data/DrawbarDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/SequencerDataCategory.h"

namespace zel::qmix::data {

Zq21CInfo* Zq21CInfo::instance() {
    static Zq21CInfo* const model = new Zq21CInfo();
    return model;
}

Zq21CInfo::Zq21CInfo() {
    setFormatVersion(SequencerDataCategory::instance(), 1);
    setFormatVersion(AllDataCategory::instance(), 4);
    setFormatVersion(RegistrationDataCategory::instance(), 4);
    setFormatVersion(DrawbarDataCategory::instance(), 1);
}

QString Zq21CInfo::modelName() const {
    return QStringLiteral("PRV-2200");
}

int Zq21CInfo::songDeleteTime() const {
    return 2000;
}

int Zq21CInfo::musicPresetDeleteTime() const {
    return 1000;
}

int Zq21CInfo::rhythmDeleteTime() const {
    return 1000;
}

bool Zq21CInfo::isSecondGeneration() const {
    return true;
}

QList<int> Zq21CInfo::allDataBlockSizes() const {
    return QList<int>{167932} + repeated(131068, 27);
}

int Zq21CInfo::emptySongVariant() const {
    return 6;
}

} // namespace zel::qmix::data
