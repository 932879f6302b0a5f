#pragma once

#include "cli/ProgressDisplay.h"
#include "comm/CommandConnections.h"

#include <QList>
#include <QObject>
#include <QVariant>

#include <functional>

namespace zel::qmix::cli {

class Interrupt;

// The receiver of the keyboard commands a command-line command queues, in
// place of the desktop program's views: follows each command's start and
// progress on the progress display, collects the results, and runs the event
// loop until as many results as expected have arrived. Ctrl-C reaches the
// commands as their cancel source.
class CommandSession : public QObject {
    Q_OBJECT
public:
    explicit CommandSession(Interrupt& interrupt, QObject* parent = nullptr);
    ~CommandSession() override;

    // Every kind of report wired to this session, cancel from Ctrl-C.
    comm::CommandConnections connections() const;
    // Only the results, for commands that show no progress of their own.
    comm::CommandConnections resultConnections() const;
    // Called on the arrival of each result, before it is stored.
    void setResultHandler(std::function<void(const QVariant&)> handler) {
        resultHandler_ = std::move(handler);
    }

    // Runs the event loop until `count` results have arrived in all.
    void waitForResults(int count);
    const QList<QVariant>& results() const { return results_; }

    // The title a command's started() info carries.
    static QString titleOf(const QVariant& info);

signals:
    void resultArrived();

public slots:
    void onStarted(QVariant info);
    void onProgress(int done, int total);
    void onFinished(QVariant result);

private:
    Interrupt& interrupt_;
    ProgressDisplay progress_;
    QList<QVariant> results_;
    std::function<void(const QVariant&)> resultHandler_;
};

} // namespace zel::qmix::cli
