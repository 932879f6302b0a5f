#pragma once

#include "sysex/Encoder.h"

#include <QVector>

namespace zel::qmix::sysex {

// Carries values of one parameter: the keyboard's answer to an IPR, or the PC
// setting values. Each value takes the parameter's bit width.
class IPSEncoder : public Encoder {
public:
    // The most values one message can name in its 14-bit length field.
    static constexpr int MAX_VALUE_COUNT = 0x4000;

    explicit IPSEncoder(int category = 0, int subAddress = 0);

    void setCategory(int category) { cat_ = category & 0x7F; }
    void setSubAddress(int subAddress) { subAddress_ = subAddress & 0x7F; }
    void setAddressNumber(int number) { addressNumber_ = number & 0x3FFF; }
    // Kept as exactly four indexes: missing ones are 0, extra ones dropped.
    void setIndexes(const QVector<int>& indexes);
    void setId(int id) { id_ = id & 0x3FFF; }
    void setOffset(int offset) { offset_ = offset & 0x3FFF; }
    void setValues(const QVector<qint32>& values) { values_ = values; }

    const QVector<int>& indexes() const { return indexes_; }
    const QVector<qint32>& values() const { return values_; }

protected:
    void writeBody(QByteArray& msg) override;

private:
    int cat_;
    int subAddress_;
    int addressNumber_ = 0;
    QVector<int> indexes_ = QVector<int>(4, 0);
    int id_ = 0;
    int offset_ = 0;
    QVector<qint32> values_;
};

} // namespace zel::qmix::sysex
