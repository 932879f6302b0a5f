// Writes seed corpora of valid SysEx messages for the sysex fuzz targets:
//   make_sysex_seeds OUTPUT_DIR
// makes OUTPUT_DIR/<target>/ with one message (or request + reply) per file.
#include "sysex/HBSEncoder.h"
#include "sysex/IPREncoder.h"
#include "sysex/IPSEncoder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QVector>

#include <cstdio>

using namespace zel::qmix::sysex;

namespace {

struct ParameterSeed {
    const char* name;
    int category;
    int id;
    QVector<qint32> values;
};

const ParameterSeed PARAMETER_SEEDS[] = {
    {"presence", 0, 24, {1}},
    {"model_name", 0, 0, {'M', 'O', 'D', 'E', 'L', '-', '7', ' '}},
    {"bit_1", 0, 29, {1}},
    {"bit_8_pair", 0, 13, {200, 17}},
    {"bit_10", 2, 0, {1000}},
    {"bit_14", 0, 14, {0x3FFF}},
    {"bit_16", 17, 0, {0xBEEF}},
    {"bit_24", 14, 7, {0xABCDEF}},
    {"bit_32", 0, 31, {-1, 0x12345678}},
    {"width_0", 0, 40, {0, 0, 0}},
    {"no_table", 1, 0, {0}},
    {"seven_bit_full", 0, 22, QVector<qint32>(22, 0x55)},
};

QByteArray encoded(Encoder& encoder) {
    QByteArray msg;
    encoder.encode(msg);
    return msg;
}

QByteArray reply(const ParameterSeed& seed) {
    IPSEncoder encoder(seed.category, 0);
    encoder.setId(seed.id);
    encoder.setValues(seed.values);
    return encoded(encoder);
}

QByteArray requestAddress(const ParameterSeed& seed) {
    IPREncoder encoder(seed.category, 0);
    encoder.setId(seed.id);
    encoder.setLength(int(seed.values.size()) - 1);
    return encoded(encoder).left(24);
}

QByteArray block(int length, int category, int blockNumber) {
    QByteArray data(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        data[i] = char((i * 37 + blockNumber) & 0xFF);
    HBSEncoder encoder(BlockAddress{category, 0, blockNumber}, data);
    return encoded(encoder);
}

bool writeSeed(const QString& folder, const QString& name, const QByteArray& bytes) {
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

bool makeFolder(const QString& folder) {
    if (QDir().mkpath(folder))
        return true;
    std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
    return false;
}

bool writeParameterSeeds(const QString& output) {
    const QString plain = output + "/fuzz_sysex_ips";
    const QString checked = output + "/fuzz_sysex_ips_request";
    if (!makeFolder(plain) || !makeFolder(checked))
        return false;
    for (const ParameterSeed& seed : PARAMETER_SEEDS) {
        const QString name = QString::fromLatin1(seed.name);
        if (!writeSeed(plain, name, reply(seed)) ||
            !writeSeed(checked, name, requestAddress(seed) + reply(seed)))
            return false;
    }
    return true;
}

bool writeBlockSeeds(const QString& output) {
    const QString folder = output + "/fuzz_sysex_hbs";
    if (!makeFolder(folder))
        return false;
    const int lengths[] = {0, 1, 6, 7, 8, 15, 64, 203};
    for (int length : lengths) {
        if (!writeSeed(folder, QString("block_%1").arg(length), block(length, 3, length)))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    return writeParameterSeeds(output) && writeBlockSeeds(output) ? 0 : 1;
}
