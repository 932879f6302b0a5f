#pragma once

#include <QObject>

class QSocketNotifier;

namespace zel::qmix::cli {

// Ctrl-C as the Cancel button of the desktop program: the first SIGINT asks
// the running and queued keyboard commands to cancel (through
// cancelRequested(), the cancel source of the commands) and lets them end
// properly, so the keyboard is told; a second one ends the program at once.
// One instance while keyboard commands run; signal delivery reaches it
// through a pipe, so the signal is acted on by the thread that owns it.
class Interrupt : public QObject {
    Q_OBJECT
public:
    explicit Interrupt(QObject* parent = nullptr);
    ~Interrupt() override;

    // Whether SIGINT arrived since the program started; safe from any thread.
    static bool isRequested();

signals:
    void cancelRequested();
    // Never emitted; the commands' suspend source (nothing pauses a command
    // line program).
    void suspendChangeRequested(bool suspended);

private slots:
    void onSignalPipe();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace zel::qmix::cli
