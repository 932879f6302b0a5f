#pragma once

#include "sysex/Encoder.h"

namespace zel::qmix::sysex {

// Opens a bulk transfer; the one body byte tells the keyboard its kind.
class SBSEncoder : public Encoder {
public:
    explicit SBSEncoder(int kind = 0);

    void setKind(int kind) { kind_ = kind; }
    int kind() const { return kind_; }

protected:
    void writeBody(QByteArray& msg) override;

private:
    int kind_;
};

} // namespace zel::qmix::sysex
