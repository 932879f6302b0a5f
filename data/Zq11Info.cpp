#include "data/Zq11Info.h"

#include "data/AllDataCategory.h"
#include "data/DrawbarDataCategory.h"
#include "data/DspDataCategory.h"
#include "data/MusicPresetDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/ToneDataCategory.h"

namespace zel::qmix::data {

Zq11Info* Zq11Info::instance() {
    static Zq11Info* const model = new Zq11Info();
    return model;
}

Zq11Info::Zq11Info() {
    addDescriptor(ToneDataCategory::instance(), 0, 100, 1);
    // The drawbar settings occupy tone areas 100 to 149.
    addDescriptor(DrawbarDataCategory::instance(), 100, 50, 51);
    addDescriptor(DspDataCategory::instance(), 0, 100, 101);
    addDescriptor(RhythmDataCategory::instance(), 0, 100, 1);
    addDescriptor(SequencerDataCategory::instance(), 0, 5, 1);
    addDescriptor(MusicPresetDataCategory::instance(), 0, 100, 1);
    addDescriptor(RegistrationDataCategory::instance(), 0, 1, 1);
    addDescriptor(AllDataCategory::instance(), 0, 1, 1);
}

QString Zq11Info::modelName() const {
    return QStringLiteral("PRV-1200");
}

int Zq11Info::songMemorySize() const {
    return 167932;
}

int Zq11Info::musicPresetMemorySize() const {
    return 131068;
}

int Zq11Info::songDeleteTime() const {
    return 2500;
}

int Zq11Info::musicPresetDeleteTime() const {
    return 1600;
}

int Zq11Info::rhythmDeleteTime() const {
    return 800;
}

bool Zq11Info::acceptsToneType1() const {
    return true;
}

QList<int> Zq11Info::allDataBlockSizes() const {
    return QList<int>{167932} + repeated(65532, 50) + QList<int>{131068, 65532, 8188, 65532};
}

} // namespace zel::qmix::data
