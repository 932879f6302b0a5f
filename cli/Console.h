#pragma once

#include <QTextStream>

namespace zel::qmix::cli {

// Standard output for results, standard error for diagnostics, both UTF-8.
class Console {
public:
    static QTextStream& out();
    static QTextStream& err();
};

} // namespace zel::qmix::cli
