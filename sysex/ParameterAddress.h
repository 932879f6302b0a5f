#pragma once

#include <QByteArray>

#include <array>

namespace zel::qmix::sysex {

// The 18 address bytes that open IPR and IPS bodies: which values of which
// parameter a request asks for or a reply carries.
struct ParameterAddress {
    static constexpr int LENGTH = 18;
    // Offsets within the whole message.
    static constexpr int ID_OFFSET = 18;
    static constexpr int LENGTH_OFFSET = 22;
    static constexpr int END_OFFSET = 24;

    int category = 0;      // parameter category, 7 bits
    int subAddress = 0;    // 7 bits
    int addressNumber = 0; // 14 bits
    std::array<int, 4> indexes{};
    int id = 0;
    int offset = 0;
    int length = 0; // number of values minus 1

    void write(QByteArray& msg) const;
};

} // namespace zel::qmix::sysex
