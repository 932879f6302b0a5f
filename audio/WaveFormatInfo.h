#pragma once

#include <QtGlobal>

namespace zel::qmix::audio {

// What the WAV header reader learns about a file. Offsets are file positions.
struct WaveFormatInfo {
    quint32 dataSize = 0;
    quint32 sampleRate = 0;
    quint32 dataOffset = 0;
    // Position of the last data byte (dataOffset + dataSize - 1).
    quint32 dataEnd = 0;
    quint16 bitsPerSample = 0;
    quint16 blockAlign = 0;
    quint16 channels = 0;
    // Position of the "fmt " chunk's contents.
    quint32 fmtOffset = 0;
};

} // namespace zel::qmix::audio
