#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs the command-line front end as a separate process and keeps what it
// said and how it ended.
struct CliRun {
    // -1: it did not finish; -2: it crashed or was killed; -3: a sanitizer
    // reported a fault.
    int exitCode = -1;
    QString out;
    QString err;

    // Runs `arguments` to the end (at most `timeoutMs`) with standard input
    // closed, so no question finds a terminal.
    static CliRun run(const QStringList& arguments,
                      const QProcessEnvironment& environment = defaultEnvironment(),
                      int timeoutMs = 120000);
    // The test's environment, with no MIDI server of the surroundings that
    // could answer in place of the keyboard under test.
    static QProcessEnvironment defaultEnvironment();

    // Standard output without its final line break.
    QString line() const;
    // What to print when a check on this run fails.
    QByteArray describe() const;
};
