#pragma once

#include <array>
#include <tuple>

namespace zel::qmix::emu {

// The full address of one element of one parameter: everything an IPR or IPS
// names except how many elements it covers.
struct ParameterKey {
    int category = 0;
    int subAddress = 0;
    int addressNumber = 0;
    std::array<int, 4> indexes{};
    int id = 0;
    int element = 0;

    auto tied() const {
        return std::tie(category, subAddress, addressNumber, indexes, id, element);
    }
    friend bool operator<(const ParameterKey& a, const ParameterKey& b) {
        return a.tied() < b.tied();
    }
    friend bool operator==(const ParameterKey& a, const ParameterKey& b) {
        return a.tied() == b.tied();
    }
};

} // namespace zel::qmix::emu
