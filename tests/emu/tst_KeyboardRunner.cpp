#include "KeyboardHarness.h"

#include "data/Zq10Info.h"
#include "emu/KeyboardRunner.h"

#include <QtTest>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace zel::qmix;

namespace {

// Collects what the runner sends, from whichever thread it sends it.
class Collector {
public:
    void take(const QByteArray& message) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            messages_.append(message);
            threads_.append(std::this_thread::get_id());
        }
        arrived_.notify_all();
    }

    // Waits (generously) until `count` messages are there.
    QList<QByteArray> waitFor(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        arrived_.wait_for(lock, std::chrono::seconds(60),
                          [&] { return messages_.size() >= count; });
        return messages_;
    }

    QList<QByteArray> messages() {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }

    QList<std::thread::id> threads() {
        std::lock_guard<std::mutex> lock(mutex_);
        return threads_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    QList<QByteArray> messages_;
    QList<std::thread::id> threads_;
};

std::unique_ptr<emu::VirtualKeyboard> keyboard(const emu::FaultPlan& faults = {}) {
    return std::make_unique<emu::VirtualKeyboard>(data::Zq10Info::instance(), faults);
}

} // namespace

class tst_KeyboardRunner : public QObject {
    Q_OBJECT

private slots:
    void answersOnItsOwnThreadInOrder();
    void busyKeyboardHoldsLaterRepliesBack();
    void stopDropsWhatIsStillWaiting();
    void inspectSeesTheKeyboardBetweenMessages();
};

void tst_KeyboardRunner::answersOnItsOwnThreadInOrder() {
    Collector collector;
    emu::KeyboardRunner runner(keyboard(), [&](const QByteArray& m) { collector.take(m); });
    runner.start();
    const QList<int> expected = {24, 0, 35, 24};
    for (const int id : expected)
        runner.post(KeyboardHarness::ipr(0, id, id == 0 ? 7 : 0));
    const QList<QByteArray> replies = collector.waitFor(4);
    QCOMPARE(replies.size(), 4);
    for (int i = 0; i < replies.size(); ++i)
        QCOMPARE(int(replies.at(i).at(18)), expected.at(i));
    for (const std::thread::id& thread : collector.threads())
        QVERIFY(thread != std::this_thread::get_id());
}

void tst_KeyboardRunner::busyKeyboardHoldsLaterRepliesBack() {
    Collector collector;
    emu::FaultPlan faults;
    faults.deleteTimeMs = 300;
    emu::KeyboardRunner runner(keyboard(faults), [&](const QByteArray& m) { collector.take(m); });
    runner.start();
    runner.post(KeyboardHarness::ips(0, 25, {36}));
    runner.post(KeyboardHarness::ips(0, 27, {0}));
    runner.post(KeyboardHarness::ips(0, 39, {0}));
    // Asked while deleting, then right after: the answers keep their order.
    runner.post(KeyboardHarness::ipr(0, 29));
    runner.post(KeyboardHarness::ipr(0, 24));
    const QList<QByteArray> replies = collector.waitFor(2);
    QCOMPARE(replies.size(), 2);
    QCOMPARE(int(replies.at(0).at(18)), 29);
    QCOMPARE(int(replies.at(1).at(18)), 24);
}

void tst_KeyboardRunner::stopDropsWhatIsStillWaiting() {
    Collector collector;
    emu::FaultPlan faults;
    faults.replyDelayMs = 10 * 60 * 1000;
    emu::KeyboardRunner runner(keyboard(faults), [&](const QByteArray& m) { collector.take(m); });
    runner.start();
    runner.post(KeyboardHarness::ipr(0, 24));
    bool handled = false;
    for (int i = 0; i < 600 && !handled; ++i) {
        runner.inspect([&](const emu::VirtualKeyboard& k) { handled = k.receivedCount() == 1; });
        if (!handled)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    QVERIFY(handled);
    // Stopping does not wait for the ten-minute reply, and drops it.
    runner.stop();
    runner.post(KeyboardHarness::ipr(0, 24));
    QVERIFY(collector.messages().isEmpty());
}

void tst_KeyboardRunner::inspectSeesTheKeyboardBetweenMessages() {
    Collector collector;
    emu::KeyboardRunner runner(keyboard(), [&](const QByteArray& m) { collector.take(m); });
    runner.start();
    const sysex::BlockAddress address = KeyboardHarness::dataAddress(3, 4);
    runner.post(KeyboardHarness::sbs(3));
    runner.post(KeyboardHarness::hbs(address, "tone data"));
    runner.post(KeyboardHarness::ess(address));
    QCOMPARE(collector.waitFor(3).size(), 3);
    QByteArray stored;
    runner.inspect([&](const emu::VirtualKeyboard& k) { stored = k.memory().areaData(3, 4); });
    QCOMPARE(stored, QByteArray("tone data"));
}

QTEST_GUILESS_MAIN(tst_KeyboardRunner)
#include "tst_KeyboardRunner.moc"
