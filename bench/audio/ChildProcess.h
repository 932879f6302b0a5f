#pragma once

#include <QString>
#include <QStringList>

// A program run to its end as a child process of its own, so that its peak
// resident memory is its own.
class ChildProcess {
public:
    struct Run {
        bool ok = false;
        double seconds = 0.0;
        double peakMb = 0.0;
    };

    // The child's standard output goes to `outputPath`, or nowhere when it
    // is empty.
    static Run run(const QString& program, const QStringList& arguments,
                   const QString& outputPath = QString());
};
