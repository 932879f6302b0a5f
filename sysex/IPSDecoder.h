#pragma once

#include "sysex/Decoder.h"

#include <QVector>

namespace zel::qmix::sysex {

// Reads the parameter values of an IPS message. With a request set, only a
// reply that echoes the request's address is taken.
class IPSDecoder : public Decoder {
public:
    // Keeps the request's first 24 bytes (everything before its F7); a shorter
    // request leaves replies unchecked.
    void setRequest(const QByteArray& request);

    const QVector<qint32>& values() const { return values_; }
    int category() const { return category_; }
    int parameterId() const { return id_; }

protected:
    void validate(const QByteArray& msg) override;
    void parse(const QByteArray& msg) override;

private:
    bool hasRequest() const;

    QByteArray request_;
    QVector<qint32> values_;
    int category_ = 0;
    int id_ = 0;
};

} // namespace zel::qmix::sysex
