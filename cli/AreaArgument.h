#pragma once

#include <QString>

namespace zel::qmix::data {
class DataCategory;
class KeyboardInfo;
} // namespace zel::qmix::data

namespace zel::qmix::cli {

// A keyboard area as the user names it on the command line: a category key
// word (RHYTHM, SEQUENCER, ... in any case) and the area number the keyboard
// and the desktop program show, which for DSP settings counts from 101.
struct AreaArgument {
    const data::DataCategory* category = nullptr;
    // Position among the model's areas of the category, from 0.
    int index = 0;
    // The area number of the keyboard protocol.
    int keyboardArea = 0;
    // The number shown to the user.
    int shownNumber = 0;

    // The category named by `word` on `model`; null, with `error` set, when
    // no category has that key word or the model has no area of it.
    static const data::DataCategory* parseCategory(const QString& word,
                                                   const data::KeyboardInfo* model, QString* error);
    // The area `number` of `category` on `model`; false, with `error` set,
    // when it is not a number or out of the model's range.
    static bool parseArea(const data::DataCategory* category, const QString& number,
                          const data::KeyboardInfo* model, AreaArgument* out, QString* error);

    // The number shown to the user for a keyboard area of the category.
    static int shownNumberOf(const data::DataCategory* category, int keyboardArea,
                             const data::KeyboardInfo* model);
    // "Rhythm Area 3": how the desktop program names an area.
    QString name() const;
    static QString name(const data::DataCategory* category, int shownNumber);
};

} // namespace zel::qmix::cli
