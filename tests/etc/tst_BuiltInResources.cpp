#include <QFile>
#include <QTest>
#include <QtEndian>

// The generated resources are linked in by the `resources` library alone; other
// layers patch and send them, so their sizes and fixed bytes are checked here.
class tst_BuiltInResources : public QObject {
    Q_OBJECT

private slots:
    void templates_data();
    void templates();
    void rhythmHoldsItsLength();
    void songNameDigitAtByte20();
    void backupPictures_data();
    void backupPictures();
    void statusPictures();
    void revision();

private:
    static QByteArray read(const QString& path);
    static int darkPixels(const QByteArray& picture);
};

QByteArray tst_BuiltInResources::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    return file.readAll();
}

int tst_BuiltInResources::darkPixels(const QByteArray& picture) {
    int count = 0;
    for (char byte : picture) {
        count += qPopulationCount(quint8(byte));
    }
    return count;
}

void tst_BuiltInResources::templates_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("start");

    QTest::newRow("rhythm") << ":/empty_data/empty_ac7.dat" << 116 << QByteArray("AC07");
    QTest::newRow("music preset") << ":/empty_data/empty_mps.dat" << 43 << QByteArray("CMPS");
    QTest::newRow("song") << ":/empty_data/empty_cms.dat" << 817 << QByteArray();
}

void tst_BuiltInResources::templates() {
    QFETCH(QString, path);
    QFETCH(int, size);
    QFETCH(QByteArray, start);

    const QByteArray data = read(path);
    QCOMPARE(data.size(), size);
    QVERIFY(data.startsWith(start));
}

void tst_BuiltInResources::rhythmHoldsItsLength() {
    const QByteArray data = read(QStringLiteral(":/empty_data/empty_ac7.dat"));
    QCOMPARE(data.size(), 116);
    QCOMPARE(qFromLittleEndian<quint32>(data.constData() + 4), quint32(116));
    // Read as a zero-terminated string, the identifier must be exactly "AC07".
    QCOMPARE(QByteArray(data.left(4).constData(), 4), QByteArray("AC07"));
}

void tst_BuiltInResources::songNameDigitAtByte20() {
    const QByteArray data = read(QStringLiteral(":/empty_data/empty_cms.dat"));
    QCOMPARE(data.size(), 817);
    QCOMPARE(data.mid(10, 12), QByteArray("User Song 1 "));
    QCOMPARE(data.at(20), '1');
}

void tst_BuiltInResources::backupPictures_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("save") << "save";
    QTest::newRow("load") << "load";
}

void tst_BuiltInResources::backupPictures() {
    QFETCH(QString, kind);

    int previousDark = -1;
    for (int step = 0; step <= 70; ++step) {
        const QString path = QStringLiteral(":/lcd/all_%1_%2.lcd").arg(kind).arg(step);
        const QByteArray picture = read(path);
        QVERIFY2(picture.size() == 280, qPrintable(path));
        // Only 279 bytes reach the display; the last one must not carry pixels.
        QCOMPARE(picture.at(279), '\0');
        // The bar grows with every step.
        const int dark = darkPixels(picture);
        QVERIFY2(dark > previousDark, qPrintable(path));
        previousDark = dark;
    }
    const QByteArray other = read(
        QStringLiteral(":/lcd/all_%1_35.lcd").arg(kind == QLatin1String("save") ? "load" : "save"));
    QVERIFY(read(QStringLiteral(":/lcd/all_%1_35.lcd").arg(kind)) != other);
}

void tst_BuiltInResources::statusPictures() {
    const QByteArray saving = read(QStringLiteral(":/lcd/saving.lcd"));
    const QByteArray loading = read(QStringLiteral(":/lcd/loading.lcd"));
    const QByteArray deleting = read(QStringLiteral(":/lcd/deleting.lcd"));
    for (const QByteArray& picture : {saving, loading, deleting}) {
        QCOMPARE(picture.size(), 280);
        QCOMPARE(picture.at(279), '\0');
        QVERIFY(darkPixels(picture) > 0);
    }
    QVERIFY(saving != loading);
    QVERIFY(loading != deleting);
    QVERIFY(saving != deleting);
}

void tst_BuiltInResources::revision() {
    const QByteArray text = read(QStringLiteral(":/revision.txt"));
    QVERIFY(text.endsWith('\n'));
    const QByteArray firstLine = text.split('\n').first().trimmed();
    QVERIFY(!firstLine.isEmpty());
    QCOMPARE(text.count('\n'), 1);
}

QTEST_APPLESS_MAIN(tst_BuiltInResources)
#include "tst_BuiltInResources.moc"
