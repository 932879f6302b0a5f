#pragma once

#include <QString>

namespace zel::qmix::file {

// The keyboard's own files on the SD card are kept write-protected, so that
// neither the user nor another program changes them by accident. Whoever
// changes one lifts the protection first and puts it back afterwards.
class CardFileProtection {
public:
    // Lets the owner write the file again; true when the file is missing
    // (nothing to lift) or now writable.
    static bool unprotect(const QString& path);
    // Takes every write permission away; false when the file is missing or
    // its permissions cannot be changed.
    static bool protect(const QString& path);
};

} // namespace zel::qmix::file
