#include "cli/Console.h"

#include <cstdio>

namespace zel::qmix::cli {

QTextStream& Console::out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& Console::err() {
    static QTextStream stream(stderr);
    return stream;
}

} // namespace zel::qmix::cli
