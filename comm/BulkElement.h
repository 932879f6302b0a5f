#pragma once

#include <QByteArray>

namespace zel::qmix::comm {

// One entry of a transfer list: a display picture or an area's data, sent by
// the PC or by the keyboard. Its category, sub-address and block number name
// it in every message that concerns it.
struct BulkElement {
    enum Direction { FromPc = 0, FromKeyboard = 1 };

    int direction = FromPc;
    int category = 0;
    int blockNumber = 0;
    int subAddress = 0;
    QByteArray data;      // what the PC sends; empty for the keyboard's elements
    int expectedSize = 0; // what the keyboard announced for its element; 0 otherwise
    int blockSize = 0;

    friend bool operator==(const BulkElement& a, const BulkElement& b) {
        return a.direction == b.direction && a.category == b.category &&
               a.blockNumber == b.blockNumber && a.subAddress == b.subAddress && a.data == b.data &&
               a.expectedSize == b.expectedSize && a.blockSize == b.blockSize;
    }
};

} // namespace zel::qmix::comm
