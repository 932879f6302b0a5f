#include "comm/PackageSender.h"

#include "comm/KeyboardCommunicator.h"

#include "data/CategoryDescriptor.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MusicPresetDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "etc/AlwaysYesChecker.h"
#include "etc/MessageTexts.h"
#include "file/CategoryFiles.h"
#include "file/PackageFile.h"

#include <QFile>

#include <algorithm>

namespace zel::qmix::comm {

namespace {

// Package areas are sent without asking; every queued send shares this one
// checker. It is never deleted, as sends may still be queued when the
// sender goes.
etc::GenericChecker* alwaysYes() {
    static etc::GenericChecker* const checker = new etc::AlwaysYesChecker;
    return checker;
}

// Second-generation models take the categories of send group 0 first.
QList<data::CategoryDescriptor> sendOrder(const data::KeyboardInfo* model) {
    QList<data::CategoryDescriptor> descriptors = model->descriptors();
    if (model->isSecondGeneration()) {
        std::stable_sort(descriptors.begin(), descriptors.end(),
                         [](const data::CategoryDescriptor& a, const data::CategoryDescriptor& b) {
                             return a.category->sendGroup() < b.category->sendGroup();
                         });
    }
    return descriptors;
}

// The memory a category's shared pool will hold once the package is in:
// for every keyboard area, the package's data if it brings some, else what
// the area holds now. `headerSize` is what the package's files carry in
// front of the data the keyboard stores.
qint64 plannedUse(const file::PackageFile& package, const data::DataCategory* category,
                  const QList<unsigned>& keyboardSizes, int headerSize) {
    qint64 sum = 0;
    for (int area = 0; area < keyboardSizes.size(); ++area) {
        const qint32 packageSize = package.area(category->keyWord(), area).size;
        sum += packageSize >= 0 ? qint64(packageSize) - headerSize : qint64(keyboardSizes.at(area));
    }
    return sum;
}

int songHeaderSize() {
    const auto song = file::CategoryFiles::createFile(data::SequencerDataCategory::instance());
    return song ? std::max(0, song->headerSize()) : 0;
}

QString titleOf(const QString& dataName, const data::CategoryDescriptor& descriptor, int area) {
    return QString("Sending \"") + dataName + QString("\" to ") +
           descriptor.category->displayName() + QString(" Area ") +
           QString::number(descriptor.firstNumber + area);
}

} // namespace

const char* const PackageSender::LcdPicturePath = ":/lcd/loading.lcd";

PackageSender::ResultMessage PackageSender::messageFor(int result) {
    using etc::MessageTexts;
    switch (result) {
    case Success:
        return {MessageTexts::NoMessage, false};
    case SongMemoryFull:
    case MusicPresetMemoryFull:
        return {MessageTexts::MemoryFull, false};
    case CannotOpenFile:
        return {MessageTexts::FileReadError, true};
    case CannotLoadPackage:
        return {MessageTexts::FileFormatError, true};
    case OtherModel:
        return {MessageTexts::OtherModelError, false};
    default:
        // A keyboard that does not answer as its model should, or none at all.
        return {MessageTexts::CommunicationError, false};
    }
}

PackageSender::PackageSender(KeyboardCommunicator* communicator, QObject* parent)
    : QObject(parent)
    , communicator_(communicator) {}

int PackageSender::sendFile(const QString& path) {
    file::PackageFile package;
    const int loaded = loadPackage(path, package);
    return loaded == Success ? send(package) : loaded;
}

int PackageSender::checkFile(const QString& path) {
    file::PackageFile package;
    const int loaded = loadPackage(path, package);
    return loaded == Success ? check(package) : loaded;
}

int PackageSender::loadPackage(const QString& path, file::PackageFile& package) {
    QFile original(path);
    if (!original.open(QIODevice::ReadOnly))
        return CannotOpenFile;
    const QByteArray bytes = original.readAll();
    if (original.error() != QFileDevice::NoError)
        return CannotOpenFile;
    if (!packageCopy_.open() || !packageCopy_.resize(0) || !packageCopy_.seek(0) ||
        packageCopy_.write(bytes) != bytes.size() || !packageCopy_.flush())
        return CannotLoadPackage;
    if (!package.load(packageCopy_.fileName()))
        return CannotLoadPackage;
    // Areas whose size stays unknown count with what the keyboard holds.
    package.readSizes();
    return Success;
}

int PackageSender::check(const file::PackageFile& package) {
    if (!communicator_)
        return NoCommunicator;
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    if (package.modelName().trimmed() != model->modelName().trimmed())
        return OtherModel;

    const data::DataCategory* songs = data::SequencerDataCategory::instance();
    const data::DataCategory* presets = data::MusicPresetDataCategory::instance();
    // A keyboard that stopped answering is not asked a second time.
    const QList<unsigned> songSizes = communicator_->dataSizes(songs->id());
    if (songSizes.size() != model->areaCount(songs))
        return AreaCountMismatch;
    const QList<unsigned> presetSizes = communicator_->dataSizes(presets->id());
    if (presetSizes.size() != model->areaCount(presets))
        return AreaCountMismatch;

    if (!(plannedUse(package, songs, songSizes, songHeaderSize()) < model->songMemoryCapacity()))
        return SongMemoryFull;
    if (!(plannedUse(package, presets, presetSizes, 0) < model->musicPresetMemoryCapacity()))
        return MusicPresetMemoryFull;
    return Success;
}

int PackageSender::send(const file::PackageFile& package) {
    // The lists always describe this send, also when it stops early.
    unreadElements_.clear();
    rejectedElements_.clear();
    if (!communicator_)
        return NoCommunicator;
    if (!skipCheck_) {
        const int checked = check(package);
        if (checked != Success)
            return checked;
    }
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const QString modelName = model->modelName().trimmed();
    for (const data::CategoryDescriptor& descriptor : sendOrder(model)) {
        for (int area = 0; area < descriptor.areaCount; ++area)
            sendArea(package, descriptor, area, modelName);
    }
    return Success;
}

void PackageSender::sendArea(const file::PackageFile& package,
                             const data::CategoryDescriptor& descriptor, int area,
                             const QString& modelName) {
    const data::DataCategory* category = descriptor.category;
    const QString keyWord = category->keyWord();
    QByteArray bytes;
    const int read = package.read(keyWord, area, bytes);
    if (read == file::PackageFile::ReadNoData)
        return;
    const QString dataName = package.dataName(keyWord, area);
    if (read != file::PackageFile::ReadOk) {
        unreadElements_.append(dataName);
        return;
    }
    int opened = file::FileOk;
    const auto verified = file::CategoryFiles::openData(category, bytes, modelName, &opened);
    if (opened != file::FileOk || !verified) {
        rejectedElements_.append(dataName);
        return;
    }
    communicator_->registerBulkSendCommand(category->id(), descriptor.areaOffset + area,
                                           verified->data(), titleOf(dataName, descriptor, area),
                                           alwaysYes(), ExpectedArea(), connections_,
                                           QString(LcdPicturePath));
    emit newCommandRegistered();
}

} // namespace zel::qmix::comm
