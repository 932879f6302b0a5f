#pragma once

#include "comm/BulkDumpCommand.h"

#include <atomic>

namespace zel::qmix::comm {

// Clears one keyboard area: shows the "deleting" picture on the keyboard,
// orders the deletion and waits for the keyboard to report the area empty,
// while a progress curve paced by the model's usual delete time runs.
class AreaDeleteCommand : public BulkDumpCommand {
    Q_OBJECT
public:
    static constexpr int PictureParameterCategory = 48;
    static constexpr int PictureMessages = 31;
    static constexpr int PictureBytesPerMessage = 9;
    static constexpr int MinReplyTimeoutMs = 5000;
    static constexpr int TickMs = 10;

    // `expectedTimeMs`: how long the model usually takes to delete such an area.
    AreaDeleteCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                      int expectedTimeMs, QObject* parent = nullptr);

    void proceed() override;
    QVariant result() const override;
    bool isElementActive(const BulkElement& element) const override;

    // The percentage shown `elapsedMs` into a deletion expected to take
    // `expectedMs`: 90 at the expected time, 97 at twice that, never above
    // 99 (100 is for the keyboard's confirmation).
    static int progressPercent(qint64 elapsedMs, int expectedMs);

public slots:
    // One timer tick; runs on the timer thread.
    void sendProgress();

protected:
    void showPicture();
    // Waits for the keyboard to answer whether the area is still used.
    QVector<int> awaitDeletion();
    void rewriteSettingAfterDeletion();

    int expectedTimeMs;
    std::atomic<int> ticks{0};
};

} // namespace zel::qmix::comm
