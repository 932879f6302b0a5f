#include "comm/KeyboardCommunicatorSupporter.h"

#include <QMetaType>
#include <QThread>

namespace zel::qmix::comm {

KeyboardCommunicatorSupporter::KeyboardCommunicatorSupporter(KeyboardCommunicator* communicator,
                                                             QObject* parent)
    : QObject(parent)
    , communicator_(communicator) {}

void KeyboardCommunicatorSupporter::stringSlot(QString string) {
    string_ = string;
    done_.store(true);
}

void KeyboardCommunicatorSupporter::IntListSlot(QVariant list) {
    qRegisterMetaType<QList<unsigned>>("QList<unsigned>");
    list_ = list.value<QList<unsigned>>();
    done_.store(true);
}

void KeyboardCommunicatorSupporter::sleepOnePoll() {
    QThread::msleep(PollIntervalMs);
}

} // namespace zel::qmix::comm
