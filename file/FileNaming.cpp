#include "file/FileNaming.h"

#include "data/AllDataCategory.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

#include <QFile>

namespace zel::qmix::file {

namespace {

bool isReservedDeviceName(const QString& lowerName) {
    static const QStringList fixed = {QStringLiteral("con"), QStringLiteral("prn"),
                                      QStringLiteral("aux"), QStringLiteral("nul")};
    if (fixed.contains(lowerName))
        return true;
    if (lowerName.size() != 4)
        return false;
    const QString stem = lowerName.left(3);
    const QChar digit = lowerName.at(3);
    return (stem == QLatin1String("com") || stem == QLatin1String("lpt")) &&
           digit >= QLatin1Char('1') && digit <= QLatin1Char('9');
}

} // namespace

QString FileNaming::safeFileName(const QString& baseName) {
    if (baseName.isEmpty())
        return QStringLiteral("_");
    if (isReservedDeviceName(baseName.toLower()))
        return baseName + QLatin1Char('_');
    if (baseName == QLatin1String(".") || baseName == QLatin1String(".."))
        return QStringLiteral("_");

    QString safe = baseName;
    // A leading dot would hide the file.
    if (safe.startsWith(QLatin1Char('.')))
        safe[0] = QLatin1Char('_');
    static const QString refused = QStringLiteral("*?|\\/\":<>");
    for (QChar& character : safe) {
        if (refused.contains(character))
            character = QLatin1Char('_');
    }
    return safe;
}

QString FileNaming::freePath(const QDir& folder, const QString& baseName,
                             const QString& extension) {
    QString path = folder.filePath(baseName + extension);
    for (int number = 2; QFileInfo::exists(path); ++number)
        path = folder.filePath(QStringLiteral("%1(%2)%3").arg(baseName).arg(number).arg(extension));
    return path;
}

QString FileNaming::modelAndDateName(const data::KeyboardInfo* model, const QDate& date) {
    return model->modelName().trimmed() + QLatin1Char('_') +
           date.toString(QStringLiteral("yyMMdd"));
}

QString FileNaming::receivedBaseName(const data::DataCategory* category, const QString& dataName,
                                     const data::KeyboardInfo* model, const QDate& date) {
    if (category->isNamedByModelAndDate())
        return modelAndDateName(model, date);
    return dataName.trimmed();
}

QString FileNaming::receivedItemPath(const QDir& folder, const data::DataCategory* category,
                                     const QString& dataName, const data::KeyboardInfo* model,
                                     const QDate& date) {
    const QString base = safeFileName(receivedBaseName(category, dataName, model, date));
    return freePath(folder, base, category->extension());
}

QString FileNaming::backupPath(const QDir& folder, const data::KeyboardInfo* model,
                               const QDate& date) {
    return freePath(folder, modelAndDateName(model, date),
                    data::AllDataCategory::instance()->extension());
}

bool FileNaming::canCreateFileIn(const QDir& folder) {
    QFile probe(freePath(folder, QStringLiteral("dummy"), QString()));
    // NewOnly: never truncate a file that appeared since the name was chosen.
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

} // namespace zel::qmix::file
