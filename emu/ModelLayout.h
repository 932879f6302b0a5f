#pragma once

#include "data/CategoryDescriptor.h"
#include "emu/AreaKey.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace zel::qmix::data {
class KeyboardInfo;
}

namespace zel::qmix::emu {

// How one keyboard model lays out its memory as the protocol sees it: which
// category bytes and area numbers exist, and the blocks of a complete backup.
class ModelLayout {
public:
    // The category byte of a complete backup; its "areas" are backup blocks.
    static constexpr int ALL_DATA_CATEGORY = 31;
    // The category byte of keyboard display pictures.
    static constexpr int LCD_CATEGORY = 0x30;
    static constexpr int SONG_CATEGORY = 33;
    static constexpr int RHYTHM_CATEGORY = 36;
    static constexpr int MUSIC_PRESET_CATEGORY = 37;

    explicit ModelLayout(const data::KeyboardInfo* model);

    const data::KeyboardInfo* model() const { return model_; }

    // The descriptor whose areas include `area` under `category`; the
    // all-zero record when none does.
    data::CategoryDescriptor descriptorFor(int category, int area) const;
    // An area that holds user data (backup blocks are not areas).
    bool isStorageArea(int category, int area) const;
    // Areas behind a category byte: one past the highest area number any of
    // its descriptors reaches, the block count for backups, 0 if unknown.
    int areaCount(int category) const;
    QList<AreaKey> storageAreas() const;
    // The keyboard can clear single areas of this category.
    bool isDeletable(int category) const;
    // What an empty area holds: the model's template, or nothing.
    QByteArray emptyData(int category, int area) const;
    // The number the user sees for an area.
    int shownNumber(int category, int area) const;
    QString displayName(int category, int area) const;
    int deleteTimeMs(int category) const;

    QList<int> blockSizes() const;
    qint64 blockOffset(int block) const;
    qint64 imageCapacity() const;

private:
    const data::KeyboardInfo* model_;
};

} // namespace zel::qmix::emu
