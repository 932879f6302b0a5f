// Writes seed corpora for the audio fuzz targets:
//   make_audio_seeds OUTPUT_DIR
// makes OUTPUT_DIR/<target>/ with valid WAV files in the layouts the reader
// meets (chunk orders, fmt extensions, widths, channel counts) and valid card
// control files.
#include "SeedWriter.h"

#include "audio/WaveHeader.h"
#include "file/CardAudioControlFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <cstdio>

using namespace zel::qmix;

namespace {

SeedWriter seeds("make_audio_seeds");

QByteArray le16(quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 2);
}

QByteArray le32(quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray chunk(const char* id, const QByteArray& body) {
    return QByteArray(id, 4) + le32(quint32(body.size())) + body;
}

QByteArray riff(const QByteArray& chunks) {
    return QByteArray("RIFF") + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}

QByteArray fmtBody(int channels, int rate, int bits) {
    const int frame = channels * ((bits + 7) / 8);
    return le16(1) + le16(quint16(channels)) + le32(quint32(rate)) + le32(quint32(rate * frame)) +
           le16(quint16(frame)) + le16(quint16(bits));
}

// A short tone, so the level conversion has something to scale.
QByteArray tone(int frames, int channels, int bits) {
    const int width = (bits + 7) / 8;
    const double full = std::ldexp(1.0, bits - 1) - 1;
    QByteArray data;
    for (int i = 0; i < frames * channels; ++i) {
        qint64 value = qint64(0.4 * full * std::sin(i * 0.3));
        if (bits == 8)
            value += 128;
        for (int b = 0; b < width; ++b)
            data.append(char((quint64(value) >> (8 * b)) & 0xFF));
    }
    return data;
}

void writeWaveSeeds(const char* target) {
    int n = 0;
    auto seed = [&](const QByteArray& bytes) {
        seeds.write(target, QStringLiteral("wave-%1.wav").arg(++n), bytes);
    };
    for (int bits : {8, 16, 24, 32}) {
        for (int channels : {1, 2, 4})
            seed(riff(chunk("fmt ", fmtBody(channels, 22050, bits)) +
                      chunk("data", tone(40, channels, bits))));
    }
    const QByteArray fmt = chunk("fmt ", fmtBody(2, 44100, 16));
    const QByteArray data = chunk("data", tone(30, 2, 16));
    seed(riff(data + fmt));
    seed(riff(chunk("LIST", "INFOabc") + fmt + data));
    seed(riff(fmt + data + chunk("JUNK", QByteArray(9, 'j'))));
    seed(riff(chunk("fmt ", fmtBody(2, 42819, 16) + le16(0)) + data));
    seed(riff(chunk("fmt ", fmtBody(1, 48000, 16) + le16(2) + "ex") +
              chunk("data", tone(30, 1, 16))));
    seed(riff(fmt + chunk("data", {})));
    seed(audio::makeWaveHeader(120, 44100, 16, 2) + tone(30, 2, 16));
    // Once accepted: 32,769 channels in frames of one byte.
    seed(
        QByteArray::fromBase64("UklGRkwAAABXQVZFZm10IBAAAAABAAGAIlYAACJWAAABAAgAZGF0YQEAAAC0AAAAACg"
                               "AAABznFQAsrGropWHeGpeVE9ZZXKAj52Uhl1pVHhPTlJa"));
}

file::CardAudioEntry entry(const QString& base, int kind, qint32 size, const QString& name) {
    file::CardAudioEntry made;
    made.baseName = base;
    made.extension = QStringLiteral("WV7");
    made.kind = kind;
    made.dataSize = size;
    made.seconds = size / 176400;
    made.dataName = name;
    return made;
}

void writeControlSeeds() {
    const char* target = "fuzz_card_audio_control";
    int n = 0;
    auto seed = [&](const file::CardAudioControlFile& control) {
        QByteArray bytes;
        control.toByteArray(bytes);
        seeds.write(target, QStringLiteral("control-%1.dir").arg(++n), bytes);
    };
    file::CardAudioControlFile control;
    seed(control);
    control.setTrailer(file::CardAudioControlFile::kTrailerCounted, 7);
    seed(control);
    control.append(entry(QStringLiteral("REC00001"), 0, 1764000, QStringLiteral("Take 1")));
    control.append(entry(QStringLiteral("_A1B2C3D"), 2, 352800, QStringLiteral("Piano")));
    control.append(entry(QStringLiteral("_0F0F0F0"), 1, 0, QStringLiteral("Piano(2)")));
    seed(control);
    control.setTrailer(file::CardAudioControlFile::kTrailerUnset, 0);
    for (int i = 0; i < 12; ++i)
        control.append(entry(QStringLiteral("_%1").arg(i, 7, 10, QLatin1Char('0')), i % 3, i * 4000,
                             QStringLiteral("LongNameHere").left(12 - i % 5)));
    seed(control);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_audio_seeds OUTPUT_DIR\n");
        return 2;
    }
    seeds.setOutputRoot(QString::fromLocal8Bit(argv[1]));
    writeWaveSeeds("fuzz_audio_wave_header");
    writeWaveSeeds("fuzz_audio_conversions");
    writeControlSeeds();
    std::printf("make_audio_seeds: %d seeds in %s\n", seeds.written(), argv[1]);
    return seeds.failed() ? 1 : 0;
}
