#pragma once

#include <QString>

namespace zel::qmix::gui {

// How the lists show sizes, the same on the PC and the keyboard side.
class SizeTexts {
public:
    // "1,234 byte": the number in the system locale's format.
    static QString bytes(qint64 count);
};

} // namespace zel::qmix::gui
