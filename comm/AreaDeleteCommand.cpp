#include "comm/AreaDeleteCommand.h"

#include "comm/AreaDeleteCommandResult.h"

#include "etc/TimerThread.h"
#include "sysex/IPSEncoder.h"

#include <algorithm>
#include <mutex>

namespace zel::qmix::comm {

namespace {

// The parameter written back after a deletion (category 2, id 4).
constexpr int SettingCategory = 2;
constexpr int SettingId = 4;

} // namespace

AreaDeleteCommand::AreaDeleteCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                                     int expectedTimeMs, QObject* parent)
    : BulkDumpCommand(handler, category, areaNumber, nullptr, parent)
    , expectedTimeMs(expectedTimeMs) {}

void AreaDeleteCommand::proceed() {
    // Names the area in the RJC that a cancel turns the last message into.
    elements.append(
        BulkElement{BulkElement::FromPc, category, areaNumber, DataSubAddress, QByteArray(), 0, 0});
    current = 0;
    showPicture();
    selectMode(AreaMode);
    selectCategory(category);
    selectAreaNumber(areaNumber);
    setParameter(ClearArea, 0);

    const QVector<int> used = awaitDeletion();
    if (used.size() != 1 || used.first() == 1) {
        setErrorCode(CommandErrorCode::CommunicationError);
    } else if (!isDone()) {
        setErrorCode(CommandErrorCode::NoError);
        reportProgress(100, 100);
    }
    // After a failed request the keyboard is not worth another wait.
    if (!isDone())
        rewriteSettingAfterDeletion();
    fail();
}

QVector<int> AreaDeleteCommand::awaitDeletion() {
    const int previousTimeoutMs = replyTimeoutMs();
    setReplyTimeoutMs(std::max(3 * expectedTimeMs, MinReplyTimeoutMs));
    etc::TimerThread timer;
    timer.setInterval(TickMs);
    connect(&timer, &etc::TimerThread::timeout, this, &AreaDeleteCommand::sendProgress,
            Qt::DirectConnection);
    // The timer thread's end is seen through a standard mutex, so that thread
    // checkers know that everything it did is over before it is destroyed
    // here: the wait alone synchronises inside Qt, out of their sight.
    std::mutex endMutex;
    connect(
        &timer, &QThread::finished, &timer,
        [&endMutex] { const std::lock_guard<std::mutex> lock(endMutex); }, Qt::DirectConnection);
    ticks.store(0);
    timer.start();
    timer.startStopwatch();
    // The keyboard answers once the deletion is over.
    const QVector<int> used = requestParameter(0, AreaUsed);
    timer.quit();
    timer.wait();
    { const std::lock_guard<std::mutex> lock(endMutex); }
    // Only this answer is worth the long wait.
    setReplyTimeoutMs(previousTimeoutMs);
    return used;
}

void AreaDeleteCommand::showPicture() {
    const QByteArray picture = readPicture(QStringLiteral(":/lcd/deleting.lcd"));
    for (int message = 0; message < PictureMessages; ++message) {
        const int offset = message * PictureBytesPerMessage;
        QVector<qint32> values;
        for (int k = 0; k < PictureBytesPerMessage; ++k) {
            const int position = offset + k;
            values.append(position < picture.size() ? quint8(picture.at(position)) : 0);
        }
        sysex::IPSEncoder piece(PictureParameterCategory, 0);
        piece.setIndexes({});
        piece.setId(0);
        piece.setOffset(offset);
        piece.setValues(values);
        sendDirectly(piece);
    }
}

void AreaDeleteCommand::rewriteSettingAfterDeletion() {
    const QVector<int> value = requestIndexedParameter(SettingCategory, SettingId, 0);
    if (value.size() != 1) {
        setErrorCode(CommandErrorCode::CommunicationError);
        return;
    }
    sysex::IPSEncoder write(SettingCategory, 0);
    write.setIndexes({0});
    write.setId(SettingId);
    write.setValues({value.first()});
    sendMessage(write);
}

QVariant AreaDeleteCommand::result() const {
    return QVariant::fromValue(AreaDeleteCommandResult{category, areaNumber, errorCode()});
}

bool AreaDeleteCommand::isElementActive(const BulkElement&) const {
    return true;
}

int AreaDeleteCommand::progressPercent(qint64 elapsedMs, int expectedMs) {
    // A model without a delete time would divide by zero; a millisecond
    // makes the curve jump to its end instead.
    const double expected = std::max(expectedMs, 1);
    const double elapsed = double(std::max<qint64>(elapsedMs, 0));
    double percent = 0.0;
    if (elapsed < expected)
        percent = 90.0 * elapsed / expected;
    else if (elapsed < 2 * expected)
        percent = 90.0 + 7.0 * (elapsed - expected) / expected;
    else
        percent = 97.0 + 2.0 * (elapsed - 2 * expected) / expected;
    return std::min(int(percent), 99);
}

void AreaDeleteCommand::sendProgress() {
    const int tick = ticks.fetch_add(1) + 1;
    reportProgress(progressPercent(qint64(tick) * TickMs, expectedTimeMs), 100);
}

} // namespace zel::qmix::comm
