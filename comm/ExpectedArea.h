#pragma once

#include <QString>

namespace zel::qmix::comm {

// The state of an area as the caller saw it when it queued a transfer. With
// `check` set, the transfer first verifies that the area still looks like
// this and refuses to touch it otherwise.
struct ExpectedArea {
    bool check = false;
    bool used = false;
    QString name;
    int size = 0;
};

} // namespace zel::qmix::comm
