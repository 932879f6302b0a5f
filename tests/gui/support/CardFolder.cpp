#include "tests/gui/support/CardFolder.h"

#include "audio/WaveHeader.h"
#include "file/CardFileProtection.h"

#include <QFile>

using zel::qmix::file::CardAudioControlFile;
using zel::qmix::file::CardAudioEntry;
using zel::qmix::file::CardFileProtection;

namespace {

constexpr int FrameBytes = 4;

int rateOf(int kind) {
    return kind == CardAudioEntry::PlayOnly42819 ? zel::qmix::audio::kKeyboardAlternativeSampleRate
                                                 : zel::qmix::audio::kKeyboardSampleRate;
}

} // namespace

CardFolder::CardFolder(const QString& root)
    : root_(root) {
    QDir().mkpath(audioFolder());
}

QString CardFolder::audioFolder() const {
    return QDir(root_).filePath(QLatin1String(CardAudioControlFile::kFolderName));
}

QString CardFolder::controlFilePath() const {
    return QDir(audioFolder()).filePath(QLatin1String(CardAudioControlFile::kFileName));
}

QByteArray CardFolder::audioFile(int rate, int frames) {
    QByteArray data(frames * FrameBytes, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 7 % 251);
    return zel::qmix::audio::makeWaveHeader(quint32(data.size()), quint32(rate), 16, 2) + data;
}

CardAudioEntry CardFolder::entryFor(int kind, const QString& dataName, int frames) {
    CardAudioEntry entry;
    entry.baseName = QStringLiteral("_%1").arg(nextFile_++, 7, 16, QLatin1Char('0')).toUpper();
    entry.extension = QStringLiteral("WV7");
    entry.kind = kind;
    entry.dataSize = frames * FrameBytes;
    entry.seconds = entry.dataSize / FrameBytes / rateOf(kind);
    entry.dataName =
        dataName.leftJustified(CardAudioEntry::kMaxDataNameLength, QLatin1Char(' '), true);
    return entry;
}

CardAudioEntry CardFolder::add(int kind, const QString& dataName, int frames) {
    const CardAudioEntry entry = entryFor(kind, dataName, frames);
    if (frames > 0 || kind != CardAudioEntry::Recordable) {
        const QString path = QDir(audioFolder()).filePath(entry.fileName());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(audioFile(rateOf(kind), frames));
        file.close();
        CardFileProtection::protect(path);
    }
    control_.append(entry);
    return entry;
}

CardAudioEntry CardFolder::addMissing(int kind, const QString& dataName) {
    const CardAudioEntry entry = entryFor(kind, dataName, 441);
    control_.append(entry);
    return entry;
}

bool CardFolder::save() const {
    return control_.save(controlFilePath()) == zel::qmix::file::FileOk;
}

QMap<QString, QByteArray> CardFolder::snapshot() const {
    QMap<QString, QByteArray> files;
    const QDir dir(audioFolder());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile file(dir.filePath(name));
        files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?"));
    }
    return files;
}

void CardFolder::unprotectAll() const {
    const QDir dir(audioFolder());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        CardFileProtection::unprotect(dir.filePath(name));
}
