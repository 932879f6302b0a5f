#pragma once

#include <QString>

namespace zel::qmix::comm {

// How the communicator finds the keyboard's port pair: by searching every
// candidate pair for one that answers (both patterns empty), or by opening
// the first input and output ports whose names contain the patterns.
struct PortChoice {
    QString inPattern;
    QString outPattern;

    static PortChoice search() { return {}; }
    static PortChoice matching(const QString& in, const QString& out) { return {in, out}; }

    bool searches() const { return inPattern.isEmpty() && outPattern.isEmpty(); }
};

} // namespace zel::qmix::comm
