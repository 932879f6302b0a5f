#pragma once

#include "emu/KeyboardMemory.h"

#include <QString>

namespace zel::qmix::emu {

// Where a keyboard keeps its memory between runs: one file per model in the
// state folder, named after the model (for example "PRV-1100.state"), holding
// the memory image. Written atomically, so a crash mid-write leaves the
// previous state intact.
class StateFile {
public:
    StateFile(const QString& directory, const data::KeyboardInfo* model);

    QString path() const { return path_; }
    bool exists() const;

    // A missing file is a keyboard fresh from the factory. A file that cannot
    // be read or is damaged is an error: it is left untouched for the user to
    // look at, and `error` tells what is wrong.
    bool load(KeyboardMemory& memory, QString* error = nullptr) const;
    bool save(const KeyboardMemory& memory, QString* error = nullptr) const;

    static QString fileName(const data::KeyboardInfo* model);

private:
    QString path_;
    const data::KeyboardInfo* model_;
};

} // namespace zel::qmix::emu
