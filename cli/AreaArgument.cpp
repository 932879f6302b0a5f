#include "cli/AreaArgument.h"

#include "data/AllDataCategory.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

#include <QStringList>

namespace zel::qmix::cli {

namespace {

QString keyWordsOf(const data::KeyboardInfo* model) {
    QStringList words;
    for (const auto& descriptor : model->descriptors()) {
        if (descriptor.category && descriptor.areaCount > 0 &&
            descriptor.category != data::AllDataCategory::instance())
            words.append(descriptor.category->keyWord());
    }
    return words.join(QStringLiteral(", "));
}

} // namespace

const data::DataCategory*
AreaArgument::parseCategory(const QString& word, const data::KeyboardInfo* model, QString* error) {
    const data::DataCategory* category = data::DataCategory::fromKeyWord(word.toUpper());
    if (!category) {
        *error = QStringLiteral("unknown category \"%1\"; %2 has: %3")
                     .arg(word, model->modelName().trimmed(), keyWordsOf(model));
        return nullptr;
    }
    if (category == data::AllDataCategory::instance()) {
        *error = QStringLiteral("ALL is the whole keyboard; backup and restore move it");
        return nullptr;
    }
    if (model->areaCount(category) <= 0) {
        *error = QStringLiteral("%1 has no %2 areas; it has: %3")
                     .arg(model->modelName().trimmed(), category->displayName(), keyWordsOf(model));
        return nullptr;
    }
    return category;
}

bool AreaArgument::parseArea(const data::DataCategory* category, const QString& number,
                             const data::KeyboardInfo* model, AreaArgument* out, QString* error) {
    const int first = model->firstNumber(category);
    const int count = model->areaCount(category);
    bool ok = false;
    const int shown = number.toInt(&ok);
    if (!ok || shown < first || shown >= first + count) {
        const QString range =
            count == 1 ? QStringLiteral("only area %1").arg(first)
                       : QStringLiteral("areas %1 to %2").arg(first).arg(first + count - 1);
        *error = QStringLiteral("%1 on %2 has %3; \"%4\" is none of them")
                     .arg(category->displayName(), model->modelName().trimmed(), range, number);
        return false;
    }
    out->category = category;
    out->index = shown - first;
    out->keyboardArea = model->areaOffset(category) + out->index;
    out->shownNumber = shown;
    return true;
}

int AreaArgument::shownNumberOf(const data::DataCategory* category, int keyboardArea,
                                const data::KeyboardInfo* model) {
    return model->shownAreaNumber(category, keyboardArea);
}

QString AreaArgument::name() const {
    return name(category, shownNumber);
}

QString AreaArgument::name(const data::DataCategory* category, int shownNumber) {
    return data::KeyboardInfo::areaName(category, shownNumber);
}

} // namespace zel::qmix::cli
