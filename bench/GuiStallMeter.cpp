#include "GuiStallMeter.h"

#include <QtGlobal>

GuiStallMeter::GuiStallMeter() {
    heartbeat_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat_, &QTimer::timeout, [this] { noteNow(); });
}

void GuiStallMeter::start() {
    longest_ = 0;
    sinceBeat_.start();
    heartbeat_.start(1);
}

void GuiStallMeter::stop() {
    noteNow();
    heartbeat_.stop();
}

void GuiStallMeter::noteNow() {
    longest_ = qMax(longest_, sinceBeat_.restart());
}
