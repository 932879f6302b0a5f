#pragma once

namespace zel::qmix::data {

class DataCategory;

// Where a model keeps one category: a category the model lacks has the
// all-zero record (null category, no areas).
struct CategoryDescriptor {
    DataCategory* category = nullptr;
    // Number of the first area in the keyboard's numbering for the category byte.
    int areaOffset = 0;
    int areaCount = 0;
    // Number shown to the user for the first area.
    int firstNumber = 0;
    // Format version of this category's files on this model.
    int formatVersion = 0;
};

} // namespace zel::qmix::data
