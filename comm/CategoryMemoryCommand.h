#pragma once

#include "comm/CategoryMemoryCommandInfo.h"
#include "comm/CategoryMemoryCommandResult.h"
#include "comm/SystemParameterCommand.h"

namespace zel::qmix::comm {

// Reads how much of a category's memory is in use and how much there is, for
// the memory gauge. The caller gives the category's empty-area size and area
// count as the command's info (a CategoryMemoryCommandInfo). Finishes in its
// first step; the result is a CategoryMemoryCommandResult.
class CategoryMemoryCommand : public SystemParameterCommand {
    Q_OBJECT
public:
    // Category codes whose use is worked out area by area.
    static constexpr int SongCategory = 33;
    static constexpr int MusicPresetCategory = 37;

    CategoryMemoryCommand(midi::DeviceHandler* handler, int category, QObject* parent = nullptr);

    void proceed() override;
    QVariant result() const override;

private:
    CategoryMemoryCommandInfo categoryInfo() const;
    void readUsedSize(const CategoryMemoryCommandInfo& info);
    void sumAreaSizes(int areaCount);
    void measureMusicPresets(int areaSize, int areaCount);
    void subtractFreeMemory();
    void setUsed(int usedSize);
    void setUnknown();

    int category_;
    int failed_ = 1;
    int usedSize_ = 0;
    int totalSize_ = 0;
    int resultCategory_;
};

} // namespace zel::qmix::comm
