#include "cli/ProgressDisplay.h"

#include "cli/Console.h"

#include <unistd.h>

namespace zel::qmix::cli {

namespace {

constexpr int kBarWidth = 20;

} // namespace

ProgressDisplay::ProgressDisplay(bool enabled)
    : enabled_(enabled) {}

ProgressDisplay::~ProgressDisplay() {
    finish();
}

bool ProgressDisplay::isTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

int ProgressDisplay::percent(int done, int total) {
    if (done < 0 || total < 1)
        return 0;
    if (done >= total)
        return 100;
    return int(static_cast<long double>(done) * 100 / total);
}

QString ProgressDisplay::line(const QString& title, int percent) {
    const int filled = percent * kBarWidth / 100;
    const QString bar =
        QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('.'));
    // The title as the progress strip words it, then a bar for the eye.
    return QStringLiteral("%1    (%2%) [%3]").arg(title).arg(percent).arg(bar);
}

void ProgressDisplay::start(const QString& title) {
    finish();
    title_ = title;
    percent_ = 0;
    active_ = true;
    draw();
}

void ProgressDisplay::setProgress(int done, int total) {
    if (!active_)
        return;
    percent_ = percent(done, total);
    if (percent_ != drawnPercent_)
        draw();
}

void ProgressDisplay::finish() {
    if (!active_)
        return;
    active_ = false;
    drawnPercent_ = -1;
    if (enabled_)
        Console::printErr(QStringLiteral("\n"));
}

void ProgressDisplay::draw() {
    drawnPercent_ = percent_;
    if (!enabled_)
        return;
    // Erase the rest of the line: a shorter line must not leave old characters.
    Console::printErr(QLatin1Char('\r') + line(title_, percent_) + QStringLiteral("\x1b[K"));
}

} // namespace zel::qmix::cli
