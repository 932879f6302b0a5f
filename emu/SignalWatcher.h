#pragma once

#include <QObject>

class QSocketNotifier;

namespace zel::qmix::emu {

// Turns SIGINT and SIGTERM into a Qt signal delivered by the event loop, so
// the program can close its ports in an orderly way instead of dying inside
// a MIDI callback. One instance per process.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

    // False when the handlers could not be installed.
    bool isWatching() const { return notifier_ != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    static void onSignal(int signalNumber);
    void onReadable();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace zel::qmix::emu
