#include "sysex/ParameterAttributeTable.h"

#include <QtTest>

#include <cstring>

using namespace zel::qmix::sysex;

class tst_ParameterAttributeTable : public QObject {
    Q_OBJECT

private slots:
    void attribute_data();
    void attribute();
    void parameterCount_data();
    void parameterCount();
    void recordLayout_data();
    void recordLayout();
    void widthsFitTheValueType();
};

void tst_ParameterAttributeTable::attribute_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("bitWidth");

    struct Row {
        int category, id, count, bitWidth;
    };
    const Row rows[] = {
        {0, 0, 8, 7},      {0, 1, 5, 7},    {0, 4, 10, 7},   {0, 12, 10, 7},  {0, 13, 1, 8},
        {0, 14, 1, 14},    {0, 21, 1, 14},  {0, 22, 1, 7},   {0, 24, 1, 7},   {0, 26, 1, 7},
        {0, 27, 1, 14},    {0, 31, 1, 32},  {0, 33, 16, 8},  {0, 39, 1, 1},   {0, 40, 1, 0},
        {0, 47, 1, 0},     {0, 48, 1, 32},  {0, 50, 1, 16},  {0, 56, 1, 1},   {0, 57, 0, 0},
        {1, 0, 0, 0},      {2, 0, 1, 10},   {2, 4, 1, 1},    {2, 5, 1, 0},    {2, 103, 1, 0},
        {2, 104, 1, 1},    {2, 124, 1, 2},  {2, 132, 1, 14}, {2, 133, 0, 0},  {3, 6, 16, 7},
        {3, 20, 16, 7},    {3, 23, 8, 7},   {3, 34, 1, 1},   {3, 35, 0, 0},   {4, 3, 1, 16},
        {4, 24, 1, 7},     {4, 25, 0, 0},   {5, 0, 1, 8},    {5, 22, 1, 7},   {5, 23, 0, 0},
        {6, 1, 1, 2},      {6, 22, 1, 7},   {6, 23, 0, 0},   {7, 0, 0, 0},    {11, 0, 0, 0},
        {12, 1, 1, 16},    {12, 32, 1, 10}, {12, 33, 0, 0},  {13, 0, 1, 16},  {13, 19, 1, 10},
        {13, 20, 0, 0},    {14, 7, 1, 24},  {14, 9, 1, 3},   {14, 11, 1, 32}, {14, 14, 1, 16},
        {14, 15, 0, 0},    {15, 0, 1, 8},   {15, 2, 1, 32},  {15, 3, 0, 0},   {16, 0, 19, 32},
        {16, 1, 0, 0},     {17, 3, 1, 16},  {17, 4, 256, 8}, {17, 5, 256, 8}, {17, 6, 0, 0},
        {18, 0, 1, 16},    {18, 2, 1, 1},   {19, 0, 16, 7},  {19, 3, 8, 7},   {19, 7, 1, 7},
        {19, 8, 0, 0},     {20, 0, 0, 0},   {30, 0, 0, 0},   {31, 1, 1, 32},  {31, 2, 0, 0},
        {32, 0, 8, 7},     {32, 2, 1, 32},  {33, 1, 1, 32},  {34, 0, 1, 32},  {35, 1, 1, 32},
        {35, 2, 0, 0},     {36, 0, 16, 7},  {36, 2, 1, 32},  {37, 0, 12, 7},  {37, 2, 1, 32},
        {37, 3, 0, 0},     {38, 0, 0, 0},   {47, 0, 0, 0},   {48, 0, 279, 8}, {48, 1, 1, 1},
        {48, 2, 0, 0},     {49, 0, 0, 0},   {127, 0, 0, 0},  {-1, 0, 0, 0},   {0, -1, 0, 0},
        {0, 0x3FFF, 0, 0},
    };
    for (const Row& row : rows) {
        QTest::addRow("(%d, %d)", row.category, row.id)
            << row.category << row.id << row.count << row.bitWidth;
    }
}

void tst_ParameterAttributeTable::attribute() {
    QFETCH(int, category);
    QFETCH(int, id);
    QFETCH(int, count);
    QFETCH(int, bitWidth);

    const ParameterAttribute& attribute = PsGetParameterAttrib(category, id);
    QCOMPARE(int(attribute.bitWidth), bitWidth);
    QCOMPARE(attribute.count(), count);
    QCOMPARE(int(attribute.reserved), 0);
}

void tst_ParameterAttributeTable::parameterCount_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("count");

    const int counts[ParameterAttributeTable::CATEGORY_COUNT] = {
        57, 0, 133, 35, 25, 23, 23, 0, 0, 0, 0, 0, 33, 20, 15, 3, 1, 6, 3, 8, 0, 0, 0, 0, 0,
        0,  0, 0,   0,  0,  0,  2,  3, 2, 2, 2, 3, 3,  0,  0,  0, 0, 0, 0, 0, 0, 0, 0, 2};
    for (int category = 0; category < ParameterAttributeTable::CATEGORY_COUNT; ++category)
        QTest::addRow("category %d", category) << category << counts[category];
    QTest::newRow("category 49") << 49 << 0;
    QTest::newRow("category -1") << -1 << 0;
}

void tst_ParameterAttributeTable::parameterCount() {
    QFETCH(int, category);
    QFETCH(int, count);
    QCOMPARE(ParameterAttributeTable::parameterCount(category), count);
}

void tst_ParameterAttributeTable::recordLayout_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("id");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("count above 255") << 48 << 0 << QByteArray::fromHex("17010800");
    QTest::newRow("count 256") << 17 << 4 << QByteArray::fromHex("00010800");
    QTest::newRow("model name") << 0 << 0 << QByteArray::fromHex("08000700");
    QTest::newRow("unknown") << 49 << 0 << QByteArray::fromHex("00000000");
}

void tst_ParameterAttributeTable::recordLayout() {
    QFETCH(int, category);
    QFETCH(int, id);
    QFETCH(QByteArray, record);

    const ParameterAttribute& attribute = PsGetParameterAttrib(category, id);
    QByteArray raw(int(sizeof attribute), '\0');
    std::memcpy(raw.data(), &attribute, sizeof attribute);
    QCOMPARE(raw, record);
}

void tst_ParameterAttributeTable::widthsFitTheValueType() {
    // Values travel as signed 32-bit numbers; a wider width would lose bits.
    for (int category = 0; category < ParameterAttributeTable::CATEGORY_COUNT; ++category) {
        for (int id = 0; id < ParameterAttributeTable::parameterCount(category); ++id) {
            const ParameterAttribute& attribute = PsGetParameterAttrib(category, id);
            QVERIFY2(attribute.bitWidth <= 32,
                     qPrintable(QString("(%1, %2)").arg(category).arg(id)));
            QVERIFY2(attribute.count() >= 1, qPrintable(QString("(%1, %2)").arg(category).arg(id)));
        }
    }
}

QTEST_APPLESS_MAIN(tst_ParameterAttributeTable)
#include "tst_ParameterAttributeTable.moc"
