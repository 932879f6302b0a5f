#pragma once

#include "comm/CommandControlSource.h"
#include "comm/CommandReplies.h"

#include <QObject>

namespace zel::qmix::comm {

// Where a queued command reports to and listens to, as the caller of a
// register operation gives it: either as SLOT()/SIGNAL() strings (a null
// object or signature means no connection of that kind), or, checked at
// compile time, as `replies` and `controls`, which take precedence.
struct CommandConnections {
    const QObject* receiver = nullptr;
    const char* startedSlot = nullptr;       // (QVariant info)
    const char* finishedSlot = nullptr;      // (QVariant result)
    const char* progressSlot = nullptr;      // (int done, int total)
    const char* cancelDisableSlot = nullptr; // () a slot or a signal of the receiver
    const QObject* cancelSource = nullptr;
    const char* cancelSignal = nullptr; // ()
    const QObject* suspendSource = nullptr;
    const char* suspendSignal = nullptr; // (bool)
    CommandReplies replies;
    CommandControlSource controls;
};

} // namespace zel::qmix::comm
