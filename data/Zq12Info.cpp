#include "data/Zq12Info.h"

#include "data/AllDataCategory.h"
#include "data/DspDataCategory.h"
#include "data/MusicPresetDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/ScaleDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/ToneDataCategory.h"

namespace zel::qmix::data {

Zq12Info* Zq12Info::instance() {
    static Zq12Info* const model = new Zq12Info();
    return model;
}

Zq12Info::Zq12Info() {
    addDescriptor(ToneDataCategory::instance(), 0, 100, 1);
    addDescriptor(DspDataCategory::instance(), 0, 100, 101);
    addDescriptor(RhythmDataCategory::instance(), 0, 100, 1);
    addDescriptor(ScaleDataCategory::instance(), 0, 1, 1);
    addDescriptor(SequencerDataCategory::instance(), 0, 5, 1);
    addDescriptor(MusicPresetDataCategory::instance(), 0, 100, 1);
    addDescriptor(RegistrationDataCategory::instance(), 0, 1, 1);
    addDescriptor(AllDataCategory::instance(), 0, 1, 1);
}

QString Zq12Info::modelName() const {
    return QStringLiteral("QS-1    ");
}

int Zq12Info::songMemorySize() const {
    return 167932;
}

int Zq12Info::musicPresetMemorySize() const {
    return 131068;
}

int Zq12Info::songDeleteTime() const {
    return 2500;
}

int Zq12Info::musicPresetDeleteTime() const {
    return 1600;
}

int Zq12Info::rhythmDeleteTime() const {
    return 800;
}

bool Zq12Info::acceptsToneType1() const {
    return true;
}

QList<int> Zq12Info::allDataBlockSizes() const {
    return QList<int>{167932} + repeated(65532, 50) + QList<int>{131068, 65532, 8188, 65532, 8188};
}

} // namespace zel::qmix::data
