#include "data/Zq10Info.h"

#include "data/AllDataCategory.h"
#include "data/DspDataCategory.h"
#include "data/MusicPresetDataCategory.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "data/ToneDataCategory.h"

namespace zel::qmix::data {

Zq10Info* Zq10Info::instance() {
    static Zq10Info* const model = new Zq10Info();
    return model;
}

Zq10Info::Zq10Info() {
    addDescriptor(ToneDataCategory::instance(), 0, 10, 1);
    addDescriptor(DspDataCategory::instance(), 0, 100, 101);
    addDescriptor(RhythmDataCategory::instance(), 0, 10, 1);
    addDescriptor(SequencerDataCategory::instance(), 0, 5, 1);
    addDescriptor(MusicPresetDataCategory::instance(), 0, 50, 1);
    addDescriptor(RegistrationDataCategory::instance(), 0, 1, 1);
    addDescriptor(AllDataCategory::instance(), 0, 1, 1);
}

QString Zq10Info::modelName() const {
    return QStringLiteral("PRV-1100");
}

int Zq10Info::songMemorySize() const {
    return 65532;
}

int Zq10Info::musicPresetMemorySize() const {
    return 65532;
}

int Zq10Info::songDeleteTime() const {
    return 800;
}

int Zq10Info::musicPresetDeleteTime() const {
    return 800;
}

int Zq10Info::rhythmDeleteTime() const {
    return 800;
}

bool Zq10Info::acceptsToneType1() const {
    return false;
}

QList<int> Zq10Info::allDataBlockSizes() const {
    return repeated(65532, 7) + repeated(8188, 3);
}

// Only the first generation needs the dedicated music-preset send.
bool Zq10Info::usesMusicPresetSendCommand() const {
    return !isSecondGeneration();
}

} // namespace zel::qmix::data
