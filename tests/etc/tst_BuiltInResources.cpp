#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QMap>
#include <QSet>
#include <QTest>
#include <QtEndian>

using zel::qmix::data::DataCategory;
using zel::qmix::data::KeyboardInfo;

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
    void images_data();
    void images();
    void imagesOfOneSizeDiffer();
    void categoryIcons_data();
    void categoryIcons();
    void keyboardPictures_data();
    void keyboardPictures();

private:
    struct Image {
        QString path;
        QSize size;
    };
    static QList<Image> programImages();
    static QByteArray read(const QString& path);
    static int darkPixels(const QByteArray& picture);
};

// Every image the program shows, at the size it was drawn for.
QList<tst_BuiltInResources::Image> tst_BuiltInResources::programImages() {
    QList<Image> images;
    const auto add = [&images](const QString& name, int width, int height) {
        images.append({QStringLiteral(":/images/") + name, QSize(width, height)});
    };
    add(QStringLiteral("appicon.png"), 128, 128);
    for (const char* icon : {"rhythm", "seq", "scale", "registration", "mps", "tone", "dsp",
                             "drawbar", "all"}) {
        add(QLatin1String(icon) + QLatin1String("16.png"), 16, 16);
        add(QLatin1String(icon) + QLatin1String("24.png"), 24, 24);
    }
    add(QStringLiteral("kbdbig.png"), 200, 80);
    add(QStringLiteral("kbdbig074high.png"), 200, 80);
    add(QStringLiteral("keyboard.png"), 48, 20);
    add(QStringLiteral("keyboard074high.png"), 48, 20);
    add(QStringLiteral("trash.png"), 48, 48);
    add(QStringLiteral("trash2.png"), 48, 48);
    add(QStringLiteral("left.png"), 32, 32);
    add(QStringLiteral("right.png"), 32, 32);
    add(QStringLiteral("package.png"), 24, 24);
    add(QStringLiteral("wv7.png"), 24, 24);
    add(QStringLiteral("tonewave.png"), 24, 24);
    add(QStringLiteral("reload.png"), 24, 24);
    return images;
}

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

void tst_BuiltInResources::images_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    for (const Image& image : programImages()) {
        QTest::newRow(qPrintable(image.path)) << image.path << image.size;
    }
}

void tst_BuiltInResources::images() {
    QFETCH(QString, path);
    QFETCH(QSize, size);

    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
    // Drawn on a transparent ground, so the picture sits on any background.
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    // Something was drawn: a failed rendering leaves the image empty.
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            opaque += qAlpha(image.pixel(x, y)) > 200 ? 1 : 0;
        }
    }
    QVERIFY2(opaque * 10 > image.width() * image.height(), qPrintable(path));
}

void tst_BuiltInResources::imagesOfOneSizeDiffer() {
    // Two resources with the same picture mean one drawing was reused by mistake.
    QMap<QByteArray, QString> seen;
    for (const Image& image : programImages()) {
        const QImage picture = QImage(image.path).convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!picture.isNull(), qPrintable(image.path));
        const QByteArray pixels(reinterpret_cast<const char*>(picture.constBits()),
                                int(picture.sizeInBytes()));
        const QByteArray key = QByteArray::number(picture.width()) + 'x' +
                               QByteArray::number(picture.height()) + pixels;
        QVERIFY2(!seen.contains(key),
                 qPrintable(image.path + QLatin1String(" equals ") + seen.value(key)));
        seen.insert(key, image.path);
    }
}

void tst_BuiltInResources::categoryIcons_data() {
    QTest::addColumn<QString>("keyWord");
    for (DataCategory* category : DataCategory::all()) {
        QTest::newRow(qPrintable(category->keyWord())) << category->keyWord();
    }
}

void tst_BuiltInResources::categoryIcons() {
    QFETCH(QString, keyWord);
    const DataCategory* category = DataCategory::fromKeyWord(keyWord);
    QVERIFY(category);

    const QIcon large = category->largeIcon();
    const QIcon small = category->smallIcon();
    QVERIFY(!large.isNull());
    QVERIFY(!small.isNull());
    QVERIFY(large.availableSizes().contains(QSize(24, 24)));
    QVERIFY(small.availableSizes().contains(QSize(16, 16)));

    // Categories share no icon, so lists and tabs tell them apart.
    const QImage mine = small.pixmap(16).toImage();
    for (DataCategory* other : DataCategory::all()) {
        if (other != category) {
            QVERIFY2(other->smallIcon().pixmap(16).toImage() != mine,
                     qPrintable(other->keyWord()));
            QVERIFY2(other->largeIcon().pixmap(24).toImage() != large.pixmap(24).toImage(),
                     qPrintable(other->keyWord()));
        }
    }
}

void tst_BuiltInResources::keyboardPictures_data() {
    QTest::addColumn<QString>("name");
    for (KeyboardInfo* model : KeyboardInfo::list()) {
        QTest::newRow(qPrintable(model->modelName().trimmed())) << model->modelName();
    }
}

void tst_BuiltInResources::keyboardPictures() {
    QFETCH(QString, name);
    const KeyboardInfo* model = KeyboardInfo::find(name);
    QVERIFY(model);

    const QImage large(model->largePicture());
    const QImage small(model->smallPicture());
    QVERIFY2(!large.isNull(), qPrintable(model->largePicture()));
    QVERIFY2(!small.isNull(), qPrintable(model->smallPicture()));
    // Wide pictures, as a keyboard is; the small one fits a tab.
    QVERIFY(large.width() > 2 * large.height());
    QVERIFY(small.width() > 2 * small.height());
    QVERIFY(small.height() <= 24);
    QVERIFY(large.width() > 2 * small.width());

    // The two generations look different at both sizes.
    for (KeyboardInfo* other : KeyboardInfo::list()) {
        if (other->isSecondGeneration() != model->isSecondGeneration()) {
            QVERIFY(QImage(other->largePicture()) != large);
            QVERIFY(QImage(other->smallPicture()) != small);
        }
    }
}

// Icons need the GUI application; the offscreen platform serves them.
QTEST_MAIN(tst_BuiltInResources)
#include "tst_BuiltInResources.moc"
