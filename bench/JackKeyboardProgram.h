#pragma once

#include "tests/support/JackServer.h"

#include <QProcess>
#include <QString>

// The virtual keyboard program of one model on a private JACK server (64-frame
// period, synchronous), as the window benchmarks talk to it.
class JackKeyboardProgram {
public:
    JackKeyboardProgram(const QString& serverPrefix, const QString& keyboardPath);
    ~JackKeyboardProgram();

    // Starts server and keyboard and waits until the keyboard is ready.
    bool start(const QString& modelName, QString* error);

private:
    zel::qmix::testsupport::JackServer server_;
    QString keyboardPath_;
    QProcess keyboard_;
};
