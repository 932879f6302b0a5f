#pragma once

#include <QString>

// Long 48 kHz 16-bit stereo WAV files for the audio benchmarks: a
// deterministic signal with the spectrum of music rather than of a test tone
// (a few drifting partials and some noise in both channels).
class LongWaveFile {
public:
    static constexpr int SampleRate = 48000;

    static bool write(const QString& path, int minutes);
};
