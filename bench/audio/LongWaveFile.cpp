#include "LongWaveFile.h"

#include "audio/WaveHeader.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <vector>

bool LongWaveFile::write(const QString& path, int minutes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const qint64 frames = qint64(minutes) * 60 * SampleRate;
    const QByteArray header =
        zel::qmix::audio::makeWaveHeader(quint32(frames * 4), SampleRate, 16, 2);
    if (file.write(header) != header.size())
        return false;
    constexpr int kBlockFrames = 65536;
    std::vector<qint16> block(2 * kBlockFrames);
    quint32 noise = 12345;
    for (qint64 first = 0; first < frames; first += kBlockFrames) {
        const int count = int(std::min<qint64>(kBlockFrames, frames - first));
        for (int i = 0; i < count; ++i) {
            const double t = double(first + i) / SampleRate;
            noise = noise * 1664525u + 1013904223u;
            const double hiss = (double(noise >> 16) - 32768.0) * 0.02;
            const double left = 9000.0 * std::sin(2 * M_PI * 220.0 * t) +
                                5000.0 * std::sin(2 * M_PI * (3000.0 + 50.0 * std::sin(t)) * t);
            const double right =
                8000.0 * std::sin(2 * M_PI * 330.0 * t) + 6000.0 * std::sin(2 * M_PI * 12000.0 * t);
            block[2 * i] = qToLittleEndian(qint16(left + hiss));
            block[2 * i + 1] = qToLittleEndian(qint16(right - hiss));
        }
        const qint64 bytes = qint64(count) * 4;
        if (file.write(reinterpret_cast<const char*>(block.data()), bytes) != bytes)
            return false;
    }
    return true;
}
