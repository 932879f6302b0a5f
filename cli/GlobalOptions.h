#pragma once

#include <QString>
#include <QStringList>

namespace zel::qmix::cli {

// Options before the command word that choose how the keyboard is reached.
struct GlobalOptions {
    // Open the first ports whose names contain these, instead of searching.
    QString inPattern;
    QString outPattern;
    // Run against the built-in virtual keyboard of this model.
    QString emulatedModel;

    // Takes the global options from the front of `arguments`; returns an
    // error message, or an empty string when they were well formed.
    QString parse(QStringList& arguments);
};

} // namespace zel::qmix::cli
