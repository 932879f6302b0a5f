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
    // The built-in keyboard keeps its memory in this folder, so that one run
    // sees what an earlier one stored.
    QString emulatedState;
    // Options of the stand-alone virtual keyboard (its faults, its delays)
    // for the built-in one, as one whitespace-separated text.
    QString emulatedOptions;

    // Takes the global options from the front of `arguments`; returns an
    // error message, or an empty string when they were well formed.
    QString parse(QStringList& arguments);

    // The stand-alone keyboard's command line that describes the built-in
    // keyboard, program name first.
    QStringList emulationArguments() const;
};

} // namespace zel::qmix::cli
