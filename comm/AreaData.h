#pragma once

#include <QMetaType>
#include <QString>

namespace zel::qmix::comm {

// What the keyboard holds in one area, as an area-data query found it.
// Travels to the views inside the query's finished(QVariant).
struct AreaData {
    int failed = 1; // 0 when the area was read
    int category = 0;
    int areaNumber = 0;
    bool used = false;
    QString name;
    int size = 0;

    friend bool operator==(const AreaData& a, const AreaData& b) {
        return a.failed == b.failed && a.category == b.category && a.areaNumber == b.areaNumber &&
               a.used == b.used && a.name == b.name && a.size == b.size;
    }
    friend bool operator!=(const AreaData& a, const AreaData& b) { return !(a == b); }
};

} // namespace zel::qmix::comm

Q_DECLARE_METATYPE(zel::qmix::comm::AreaData)
