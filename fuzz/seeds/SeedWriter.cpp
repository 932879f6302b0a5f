#include "SeedWriter.h"

#include <QDir>
#include <QFile>

#include <cstdio>

void SeedWriter::write(const char* target, const QString& name, const QByteArray& bytes) {
    const QString folder = root_ + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "%s: cannot write %s\n", program_, qPrintable(file.fileName()));
        failed_ = true;
        return;
    }
    ++written_;
}
