#pragma once

#include <QtGlobal>

namespace zel::qmix::audio {

// One PCM sample in a WAV data chunk: little-endian, `width` bytes of which
// `bits` carry the value; 8-bit samples are unsigned around 128, wider ones
// two's complement.
class PcmSampleCodec {
public:
    // Widths of 1 to 4 bytes, values of 1 to 32 bits.
    static constexpr int kMaxWidth = 4;
    static constexpr int kMaxBits = 32;

    static qint64 decode(const uchar* bytes, int width, int bits);
    // Writes `value` truncated toward zero; the caller keeps it in range.
    static void encode(double value, uchar* bytes, int width, int bits);
};

} // namespace zel::qmix::audio
