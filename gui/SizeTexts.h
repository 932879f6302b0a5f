#pragma once

#include <QString>

namespace zel::qmix::gui {

// How the lists show sizes, the same on the PC and the keyboard side.
class SizeTexts {
public:
    // "1,234 byte": the number in the system locale's format.
    static QString bytes(qint64 count);
    // Whole MiB, remainder dropped; anything from 1 byte up to 1 MiB counts as 1.
    static int megabytes(qint64 count);
    // "5 MB": megabytes() in the system locale's format.
    static QString megabytesText(qint64 count);
};

} // namespace zel::qmix::gui
