#pragma once

#include "emu/AreaKey.h"
#include "emu/ModelLayout.h"
#include "emu/ParameterKey.h"

#include <QByteArray>
#include <QMap>
#include <QtGlobal>

#include <optional>

namespace zel::qmix::emu {

// Everything the keyboard keeps when it is switched off: the data of its
// memory areas and the parameter values the PC stored. A value type, so a
// change can be prepared on a copy and adopted only once it is safely stored.
class KeyboardMemory {
public:
    // More stored parameters than this are refused, so a stream of settings
    // cannot make the memory grow without end.
    static constexpr int MAX_STORED_PARAMETERS = 4096;

    explicit KeyboardMemory(const data::KeyboardInfo* model);

    // A keyboard as it leaves the factory (see emu/README.md).
    static KeyboardMemory factoryDefault(const data::KeyboardInfo* model);

    const ModelLayout& layout() const { return layout_; }
    const data::KeyboardInfo* model() const { return layout_.model(); }

    QByteArray areaData(int category, int area) const;
    // An area is in use when it holds data other than its empty template.
    bool isAreaUsed(int category, int area) const;
    // Areas that are not storage areas of the model are left alone.
    void setAreaData(int category, int area, const QByteArray& data);
    // Puts the empty template back, or removes the data where there is none.
    void clearArea(int category, int area);
    // Gives every area of a template-holding category its template if it has
    // no data at all, as the keyboard's memory always holds them.
    void fillEmptyTemplates();
    const QMap<AreaKey, QByteArray>& areas() const { return areas_; }
    // Bytes held by all areas of a category.
    qint64 usedBytes(int category) const;

    std::optional<qint32> parameter(const ParameterKey& key) const;
    // False when the store is full and the key is new.
    bool setParameter(const ParameterKey& key, qint32 value);
    const QMap<ParameterKey, qint32>& parameters() const { return parameters_; }

    friend bool operator==(const KeyboardMemory& a, const KeyboardMemory& b) {
        return a.model() == b.model() && a.areas_ == b.areas_ && a.parameters_ == b.parameters_;
    }
    friend bool operator!=(const KeyboardMemory& a, const KeyboardMemory& b) { return !(a == b); }

private:
    ModelLayout layout_;
    QMap<AreaKey, QByteArray> areas_;
    QMap<ParameterKey, qint32> parameters_;
};

} // namespace zel::qmix::emu
