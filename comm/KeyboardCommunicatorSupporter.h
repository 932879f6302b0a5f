#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <atomic>

namespace zel::qmix::comm {

class KeyboardCommunicator;

// Turns a query command into a blocking call: its answering slot runs
// directly on the communication thread, stores the answer and raises a flag
// that the waiting thread polls.
class KeyboardCommunicatorSupporter : public QObject {
    Q_OBJECT
public:
    static constexpr int PollIntervalMs = 10;

    explicit KeyboardCommunicatorSupporter(KeyboardCommunicator* communicator,
                                           QObject* parent = nullptr);

    KeyboardCommunicator* communicator() const { return communicator_; }

    void clearDone() { done_.store(false); }
    bool isDone() const { return done_.load(); }
    // Polls every 10 ms until an answer arrived or `stillPending` says no
    // answer can come any more. Returns whether an answer arrived.
    template <typename StillPending> bool waitForAnswer(StillPending stillPending) const;

    // Read only after an answer arrived.
    QString receivedString() const { return string_; }
    QList<unsigned> receivedList() const { return list_; }

public slots:
    void stringSlot(QString string);
    void IntListSlot(QVariant list);

private:
    static void sleepOnePoll();

    KeyboardCommunicator* communicator_;
    std::atomic<bool> done_{false};
    QString string_;
    QList<unsigned> list_;
};

template <typename StillPending>
bool KeyboardCommunicatorSupporter::waitForAnswer(StillPending stillPending) const {
    while (!isDone()) {
        if (!stillPending())
            return isDone();
        sleepOnePoll();
    }
    return true;
}

} // namespace zel::qmix::comm
