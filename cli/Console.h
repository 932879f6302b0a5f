#pragma once

#include <QString>
#include <QTextStream>

namespace zel::qmix::cli {

// Standard output for results, standard error for diagnostics, both UTF-8.
class Console {
public:
    static QTextStream& out();
    static QTextStream& err();
    // Writes to standard error and flushes, safe while another thread does
    // the same: a question asked from the communication thread and the
    // progress line drawn by the main thread share the terminal.
    static void printErr(const QString& text);
};

} // namespace zel::qmix::cli
