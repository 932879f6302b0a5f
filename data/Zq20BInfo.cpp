#include "data/Zq20BInfo.h"

#include "data/AllDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/SequencerDataCategory.h"

namespace zel::qmix::data {

Zq20BInfo* Zq20BInfo::instance() {
    static Zq20BInfo* const model = new Zq20BInfo();
    return model;
}

Zq20BInfo::Zq20BInfo() {
    setFormatVersion(SequencerDataCategory::instance(), 1);
    setFormatVersion(AllDataCategory::instance(), 1);
    setFormatVersion(RegistrationDataCategory::instance(), 1);
}

QString Zq20BInfo::modelName() const {
    return QStringLiteral("PRV-3100");
}

int Zq20BInfo::songDeleteTime() const {
    return 1000;
}

int Zq20BInfo::musicPresetDeleteTime() const {
    return 1000;
}

int Zq20BInfo::rhythmDeleteTime() const {
    return 1000;
}

bool Zq20BInfo::isSecondGeneration() const {
    return true;
}

QList<int> Zq20BInfo::allDataBlockSizes() const {
    return {65532, 131068, 131068, 131068, 65532, 131068};
}

bool Zq20BInfo::skipsSongFollowUp() const {
    return false;
}

} // namespace zel::qmix::data
