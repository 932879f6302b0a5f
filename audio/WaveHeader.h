#pragma once

#include "audio/WaveFormatInfo.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace zel::qmix::audio {

// Results of readWaveHeader().
enum WaveHeaderResult : int {
    WaveHeaderValid = 0,
    WaveHeaderMalformed = 1,
    WaveHeaderCannotOpen = 2,
};

// Size of the canonical header every WAV file written here starts with.
constexpr int kWaveHeaderSize = 44;
// The two sampling rates the keyboard's SD-card player takes; files written
// to the card use the first.
constexpr int kKeyboardSampleRate = 44100;
constexpr int kKeyboardAlternativeSampleRate = 42819;
// The card player refuses files of this many seconds or more.
constexpr int kKeyboardMaxSeconds = 6000;

// Reads the RIFF/WAVE header of a PCM file: locates its "fmt " and "data"
// chunks, in either order, between any other chunks.
int readWaveHeader(const QString& path, WaveFormatInfo& out);
// The same on a device opened for reading (the whole device is the file).
int readWaveHeader(QIODevice* device, WaveFormatInfo& out);

// "RIFF", totalSize - 8, "WAVE".
QByteArray makeRiffHeader(quint32 totalSize);
// The 44-byte canonical PCM header.
QByteArray makeWaveHeader(quint32 dataSize, quint32 sampleRate, int bits, int channels);
QByteArray makeWaveHeader(const WaveFormatInfo& info);

// Bytes one sample of `bits` bits takes in the data chunk.
int bytesPerSample(int bits);

// Whole seconds of audio the file holds (integer divisions, as the card
// player counts); 0 for a header without rate or block size.
quint32 wholeSeconds(const WaveFormatInfo& info);
// Shorter than the card player's limit.
bool isWithinDurationLimit(const WaveFormatInfo& info);
// 16-bit stereo at one of the card player's rates, within its length limit.
bool isKeyboardWaveFormat(const WaveFormatInfo& info);
// 1 for 42819 Hz, 2 for 44100 Hz, -1 for any other rate.
int waveRateClass(const WaveFormatInfo& info);

} // namespace zel::qmix::audio
