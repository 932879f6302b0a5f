#pragma once

#include "comm/CommandConnections.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QVariant>

// Receives a command's reports and is its cancel and suspend source, as a
// front end that registers the command would be.
class CommandCaller : public QObject {
    Q_OBJECT
public:
    QList<QVariant> starts;
    QList<QVariant> finishes;
    QList<QPair<int, int>> progress;
    int cancelDisables = 0;

    // By signature: the progress slot takes whatever progress the wiring
    // connects for the command (bytes for a copy, percent for a conversion).
    zel::qmix::comm::CommandConnections connections() const;
    // By member pointer: the progress is the conversion's percentage.
    zel::qmix::comm::CommandConnections checkedConnections() const;
    zel::qmix::comm::CommandConnections connections(bool checked) const {
        return checked ? checkedConnections() : connections();
    }

signals:
    void cancelPressed();
    void suspendChanged(bool suspended);

public slots:
    void onStart(QVariant info) { starts.append(info); }
    void onFinish(QVariant result) { finishes.append(result); }
    void onProgress(int done, int total) { progress.append(qMakePair(done, total)); }
    void onCancelDisabled() { ++cancelDisables; }
};
