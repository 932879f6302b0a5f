#pragma once

#include "emu/ModelLayout.h"

#include <QByteArray>
#include <QString>

namespace zel::qmix::emu {

// The name the keyboard shows for an area's data. Songs, rhythms and music
// presets carry their name inside the data; everything else is named after
// its category and the number the user sees.
class AreaNaming {
public:
    // The longest name the keyboard reports (parameter 33).
    static constexpr int NAME_LENGTH = 16;

    static QString name(const ModelLayout& layout, int category, int area, const QByteArray& data);

private:
    static QString embeddedName(int category, const QByteArray& data);
    static QString readable(const QByteArray& field);
};

} // namespace zel::qmix::emu
