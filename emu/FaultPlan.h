#pragma once

#include "emu/Occurrences.h"

#include <QSet>
#include <QString>

namespace zel::qmix::emu {

// Misbehaviour the virtual keyboard is told to show, so that the program's
// time-outs, retries and refusals can be tried without a faulty cable.
// Message numbers count the messages the keyboard received, from 1; block
// and acknowledgement numbers count what it sends, from 1.
struct FaultPlan {
    // Replies to these incoming messages are lost on the way (the keyboard
    // still believes it sent them, so an ERR makes it repeat them).
    Occurrences dropRepliesTo;
    // Replies to every incoming message of these types are lost.
    QSet<int> dropReplyTypes;
    // These HBS blocks from the PC (counted from 1 as they arrive, repeats
    // included) never reach the keyboard, as on a bad cable.
    Occurrences lostBlocks;
    // These HBS blocks leave the keyboard with a wrong checksum; the copy kept
    // for a repeat stays intact.
    Occurrences corruptBlocks;
    // These acknowledgements are sent as RJC instead, refusing the transfer.
    Occurrences rejectAcks;
    // After this many messages the keyboard ignores everything; -1 never.
    int silentAfter = -1;
    // Added to the time of every reply.
    int replyDelayMs = 0;
    // Replaces the model's time for deleting an area; -1 keeps the model's.
    int deleteTimeMs = -1;

    // Reads a message type by name (IPR, HBS, ...) or number; -1 if unknown.
    static int parseMessageType(const QString& text);
    // Reads a comma-separated list of message types; false on any unknown one.
    static bool parseMessageTypes(const QString& text, QSet<int>& out);
};

} // namespace zel::qmix::emu
