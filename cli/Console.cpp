#include "cli/Console.h"

#include <cstdio>
#include <mutex>

namespace zel::qmix::cli {

namespace {

std::recursive_mutex& errMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

} // namespace

QTextStream& Console::out() {
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& Console::err() {
    static QTextStream stream(stderr);
    return stream;
}

void Console::printErr(const QString& text) {
    const std::lock_guard<std::recursive_mutex> lock(errMutex());
    err() << text;
    err().flush();
}

} // namespace zel::qmix::cli
