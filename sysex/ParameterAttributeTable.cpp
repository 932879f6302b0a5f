#include "sysex/ParameterAttributeTable.h"

#include <array>
#include <vector>

namespace zel::qmix::sysex {

namespace {

// Consecutive ids of one category that share count and width.
struct AttributeRun {
    int category;
    int firstId;
    int lastId;
    int count;
    int bitWidth;
};

// Categories 1, 7-11, 20-30 and 38-47 have no parameters of their own.
constexpr AttributeRun RUNS[] = {
    {0, 0, 0, 8, 7},     {0, 1, 2, 5, 7},      {0, 3, 3, 6, 7},      {0, 4, 4, 10, 7},
    {0, 5, 6, 5, 7},     {0, 7, 7, 6, 7},      {0, 8, 8, 10, 7},     {0, 9, 10, 5, 7},
    {0, 11, 11, 6, 7},   {0, 12, 12, 10, 7},   {0, 13, 13, 1, 8},    {0, 14, 21, 1, 14},
    {0, 22, 26, 1, 7},   {0, 27, 27, 1, 14},   {0, 28, 28, 1, 8},    {0, 29, 30, 1, 1},
    {0, 31, 32, 1, 32},  {0, 33, 33, 16, 8},   {0, 34, 34, 1, 32},   {0, 35, 35, 1, 14},
    {0, 36, 38, 1, 32},  {0, 39, 39, 1, 1},    {0, 40, 47, 1, 0},    {0, 48, 48, 1, 32},
    {0, 49, 49, 1, 8},   {0, 50, 50, 1, 16},   {0, 51, 51, 1, 32},   {0, 52, 53, 1, 8},
    {0, 54, 55, 1, 32},  {0, 56, 56, 1, 1},

    {2, 0, 0, 1, 10},    {2, 1, 3, 1, 7},      {2, 4, 4, 1, 1},      {2, 5, 103, 1, 0},
    {2, 104, 105, 1, 1}, {2, 106, 106, 1, 14}, {2, 107, 107, 1, 10}, {2, 108, 114, 1, 7},
    {2, 115, 117, 1, 1}, {2, 118, 123, 1, 7},  {2, 124, 124, 1, 2},  {2, 125, 125, 1, 1},
    {2, 126, 129, 1, 7}, {2, 130, 130, 1, 1},  {2, 131, 131, 1, 8},  {2, 132, 132, 1, 14},

    {3, 0, 1, 1, 7},     {3, 2, 2, 1, 14},     {3, 3, 4, 1, 1},      {3, 5, 5, 1, 4},
    {3, 6, 6, 16, 7},    {3, 7, 19, 1, 7},     {3, 20, 20, 16, 7},   {3, 21, 21, 1, 7},
    {3, 22, 22, 1, 14},  {3, 23, 23, 8, 7},    {3, 24, 24, 1, 1},    {3, 25, 25, 1, 4},
    {3, 26, 27, 1, 7},   {3, 28, 28, 1, 1},    {3, 29, 29, 1, 7},    {3, 30, 31, 1, 2},
    {3, 32, 32, 1, 7},   {3, 33, 34, 1, 1},

    {4, 0, 0, 1, 1},     {4, 1, 2, 1, 7},      {4, 3, 3, 1, 16},     {4, 4, 4, 1, 8},
    {4, 5, 7, 1, 7},     {4, 8, 8, 1, 1},      {4, 9, 9, 1, 14},     {4, 10, 10, 1, 8},
    {4, 11, 11, 1, 4},   {4, 12, 14, 1, 7},    {4, 15, 15, 1, 8},    {4, 16, 17, 1, 7},
    {4, 18, 18, 1, 4},   {4, 19, 21, 1, 7},    {4, 22, 22, 1, 8},    {4, 23, 24, 1, 7},

    {5, 0, 0, 1, 8},     {5, 1, 2, 1, 1},      {5, 3, 3, 1, 7},      {5, 4, 4, 1, 14},
    {5, 5, 8, 1, 7},     {5, 9, 9, 1, 4},      {5, 10, 12, 1, 7},    {5, 13, 13, 1, 8},
    {5, 14, 15, 1, 7},   {5, 16, 16, 1, 4},    {5, 17, 19, 1, 7},    {5, 20, 20, 1, 8},
    {5, 21, 22, 1, 7},

    {6, 0, 0, 1, 7},     {6, 1, 1, 1, 2},      {6, 2, 2, 1, 1},      {6, 3, 3, 1, 8},
    {6, 4, 7, 1, 7},     {6, 8, 8, 1, 14},     {6, 9, 9, 1, 4},      {6, 10, 12, 1, 7},
    {6, 13, 13, 1, 8},   {6, 14, 15, 1, 7},    {6, 16, 16, 1, 4},    {6, 17, 19, 1, 7},
    {6, 20, 20, 1, 8},   {6, 21, 22, 1, 7},

    {12, 0, 0, 1, 7},    {12, 1, 1, 1, 16},    {12, 2, 2, 1, 14},    {12, 3, 3, 1, 10},
    {12, 4, 4, 1, 8},    {12, 5, 15, 1, 7},    {12, 16, 16, 1, 8},   {12, 17, 18, 1, 7},
    {12, 19, 19, 1, 14}, {12, 20, 20, 1, 8},   {12, 21, 21, 1, 7},   {12, 22, 22, 1, 8},
    {12, 23, 26, 1, 2},  {12, 27, 27, 1, 1},   {12, 28, 30, 1, 4},   {12, 31, 31, 1, 14},
    {12, 32, 32, 1, 10},

    {13, 0, 0, 1, 16},   {13, 1, 2, 1, 14},    {13, 3, 3, 1, 10},    {13, 4, 4, 1, 8},
    {13, 5, 12, 1, 7},   {13, 13, 13, 1, 1},   {13, 14, 14, 1, 2},   {13, 15, 17, 1, 4},
    {13, 18, 18, 1, 14}, {13, 19, 19, 1, 10},

    {14, 0, 1, 1, 16},   {14, 2, 2, 1, 14},    {14, 3, 3, 1, 10},    {14, 4, 4, 1, 4},
    {14, 5, 5, 1, 8},    {14, 6, 6, 1, 7},     {14, 7, 7, 1, 24},    {14, 8, 8, 1, 4},
    {14, 9, 9, 1, 3},    {14, 10, 10, 1, 16},  {14, 11, 11, 1, 32},  {14, 12, 12, 1, 24},
    {14, 13, 13, 1, 3},  {14, 14, 14, 1, 16},

    {15, 0, 0, 1, 8},    {15, 1, 2, 1, 32},

    {16, 0, 0, 19, 32},

    {17, 0, 3, 1, 16},   {17, 4, 5, 256, 8},

    {18, 0, 0, 1, 16},   {18, 1, 2, 1, 1},

    {19, 0, 0, 16, 7},   {19, 1, 1, 1, 7},     {19, 2, 2, 1, 14},    {19, 3, 3, 8, 7},
    {19, 4, 4, 1, 1},    {19, 5, 5, 1, 4},     {19, 6, 7, 1, 7},

    {31, 0, 1, 1, 32},

    {32, 0, 0, 8, 7},    {32, 1, 2, 1, 32},

    {33, 0, 1, 1, 32},

    {34, 0, 1, 1, 32},

    {35, 0, 1, 1, 32},

    {36, 0, 0, 16, 7},   {36, 1, 2, 1, 32},

    {37, 0, 0, 12, 7},   {37, 1, 2, 1, 32},

    {48, 0, 0, 279, 8},  {48, 1, 1, 1, 1},
};

using CategoryTable = std::vector<ParameterAttribute>;
using AllTables = std::array<CategoryTable, ParameterAttributeTable::CATEGORY_COUNT>;

ParameterAttribute makeAttribute(int count, int bitWidth) {
    return ParameterAttribute{quint8(count & 0xFF), quint8((count >> 8) & 0xFF), quint8(bitWidth),
                              0};
}

AllTables buildTables() {
    AllTables tables;
    for (const AttributeRun& run : RUNS) {
        CategoryTable& table = tables[size_t(run.category)];
        // Runs are listed in id order without gaps, so appending places each id.
        Q_ASSERT(int(table.size()) == run.firstId);
        for (int id = run.firstId; id <= run.lastId; ++id)
            table.push_back(makeAttribute(run.count, run.bitWidth));
    }
    return tables;
}

const AllTables& tables() {
    static const AllTables built = buildTables();
    return built;
}

const ParameterAttribute NO_ATTRIBUTE = {0, 0, 0, 0};

} // namespace

const ParameterAttribute& ParameterAttributeTable::attribute(int category, int id) {
    if (category < 0 || category >= CATEGORY_COUNT || id < 0)
        return NO_ATTRIBUTE;
    const CategoryTable& table = tables()[size_t(category)];
    if (size_t(id) >= table.size())
        return NO_ATTRIBUTE;
    return table[size_t(id)];
}

int ParameterAttributeTable::parameterCount(int category) {
    if (category < 0 || category >= CATEGORY_COUNT)
        return 0;
    return int(tables()[size_t(category)].size());
}

const ParameterAttribute& PsGetParameterAttrib(int cat_, int id_) {
    return ParameterAttributeTable::attribute(cat_, id_);
}

} // namespace zel::qmix::sysex
