#include "audio/PcmSampleCodec.h"

#include <cmath>

namespace zel::qmix::audio {

qint64 PcmSampleCodec::decode(const uchar* bytes, int width, int bits) {
    quint64 raw = 0;
    for (int i = width - 1; i >= 0; --i)
        raw = (raw << 8) | bytes[i];
    if (bits == 8)
        return qint64(raw) - 128;
    const quint64 signBit = quint64(1) << (bits - 1);
    if (raw & signBit)
        return qint64(raw) - qint64(signBit << 1);
    return qint64(raw);
}

void PcmSampleCodec::encode(double value, uchar* bytes, int width, int bits) {
    // Out-of-range doubles would make the conversion undefined; every caller
    // stays far inside these bounds.
    constexpr double kLimit = 9.0e18;
    qint64 integer = qint64(std::trunc(std::fmax(-kLimit, std::fmin(kLimit, value))));
    if (bits == 8)
        integer += 128;
    quint64 raw = quint64(integer);
    for (int i = 0; i < width; ++i) {
        bytes[i] = uchar(raw & 0xFF);
        raw >>= 8;
    }
}

} // namespace zel::qmix::audio
