// Arrays kept in files: contents across windows and blocks, the file's size,
// the temporary files, and every failure of the storage underneath.
#include "WaveImages.h"

#include "audio/ConversionError.h"
#include "audio/FileBackedArray.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace zel::qmix::audio;
using namespace wave_images;

namespace {

// A file whose reads or writes fail on demand, as a failing disk's would.
class FailingFile : public QFile {
public:
    using QFile::QFile;
    bool failReads = false;
    bool failWrites = false;

protected:
    qint64 readData(char* data, qint64 count) override {
        return failReads ? -1 : QFile::readData(data, count);
    }
    qint64 writeData(const char* data, qint64 count) override {
        return failWrites ? -1 : QFile::writeData(data, count);
    }
};

template <typename Action> std::optional<int> thrownBy(Action action) {
    try {
        action();
    } catch (const ConversionError& error) {
        return error.code;
    }
    return std::nullopt;
}

double valueAt(qint64 index) {
    return double(index) * 0.5 - 1000.25;
}

} // namespace

class TestFileBackedArray : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void keepsWhatWasWrittenInAnyOrder();
    void newElementsAreZero();
    void writesNeverGrowTheFile();
    void writesReachTheCallersFile();
    void discardZerosEverything();
    void temporaryFileLivesAndDiesWithTheArray();
    void failedResizeThrows();
    void failedWriteThrows();
    void failedReadThrowsTheCallersCode();

private:
    QTemporaryDir tempRoot_;
    QTemporaryDir dir_;
};

void TestFileBackedArray::initTestCase() {
    QVERIFY(tempRoot_.isValid());
    QVERIFY(dir_.isValid());
    qputenv("TMPDIR", QFile::encodeName(tempRoot_.path()));
}

void TestFileBackedArray::keepsWhatWasWrittenInAnyOrder() {
    // Several blocks of the store, many windows.
    const qint64 count = 200000;
    FileBackedArray<double> array;
    array.resize(count);
    QCOMPARE(array.size(), count);
    for (qint64 i = 0; i < count; ++i)
        array.set(i, valueAt(i));
    for (qint64 i = count - 1; i >= 0; i -= 7)
        QCOMPARE(array.value(i), valueAt(i));
    QRandomGenerator random(3);
    for (int n = 0; n < 5000; ++n) {
        const qint64 i = qint64(random.bounded(quint32(count)));
        array.at(i) += 1.0;
        QCOMPARE(array.value(i), valueAt(i) + 1.0);
        array.at(i) -= 1.0;
    }
    for (qint64 i = 0; i < count; ++i) {
        if (array.value(i) != valueAt(i))
            QFAIL(qPrintable(QStringLiteral("element %1 changed").arg(i)));
    }
}

void TestFileBackedArray::newElementsAreZero() {
    FileBackedArray<qint16> array;
    array.resize(5000);
    array.set(10, 7);
    array.resize(200000);
    QCOMPARE(array.value(10), qint16(7));
    QCOMPARE(array.value(4999), qint16(0));
    QCOMPARE(array.value(150000), qint16(0));
    // Beyond the end reads as zeros.
    QCOMPARE(array.value(250000), qint16(0));
}

void TestFileBackedArray::writesNeverGrowTheFile() {
    const QString path = dir_.filePath(QStringLiteral("fixed.bin"));
    QVERIFY(writeFile(path, QByteArray(1000, 'a')));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    {
        FileBackedArray<quint8> array(&file);
        QCOMPARE(array.size(), 1000);
        array.set(999, 'z');
        array.set(1000, 'y');
        array.set(5000, 'x');
        array.flush();
    }
    file.close();
    const QByteArray contents = readFile(path);
    QCOMPARE(contents.size(), 1000);
    QCOMPARE(contents.at(999), 'z');
}

void TestFileBackedArray::writesReachTheCallersFile() {
    const QString path = dir_.filePath(QStringLiteral("callers.bin"));
    QVERIFY(writeFile(path, QByteArray(300000, '\0')));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    {
        FileBackedArray<quint8> array(&file);
        array.set(0, 1);
        array.set(150000, 2);
        array.set(299999, 3);
        // No flush: the last window and block go to the file as the array
        // goes.
    }
    file.close();
    const QByteArray contents = readFile(path);
    QCOMPARE(contents.at(0), char(1));
    QCOMPARE(contents.at(150000), char(2));
    QCOMPARE(contents.at(299999), char(3));
}

void TestFileBackedArray::discardZerosEverything() {
    FileBackedArray<double> array;
    array.resize(100000);
    for (qint64 i = 0; i < 100000; i += 3)
        array.set(i, 1.5);
    array.discard();
    QCOMPARE(array.size(), 100000);
    for (qint64 i = 0; i < 100000; i += 3)
        QCOMPARE(array.value(i), 0.0);
    QCOMPARE(leftoverTemporaries(tempRoot_.path()).size(), 1);
}

void TestFileBackedArray::temporaryFileLivesAndDiesWithTheArray() {
    QVERIFY(leftoverTemporaries(tempRoot_.path()).isEmpty());
    {
        FileBackedArray<qint16> array;
        array.resize(10);
        QCOMPARE(leftoverTemporaries(tempRoot_.path()).size(), 1);
        QCOMPARE(QFileInfo(array.store().fileName()).absolutePath(),
                 QDir(tempRoot_.path()).canonicalPath());
    }
    QVERIFY(leftoverTemporaries(tempRoot_.path()).isEmpty());
}

void TestFileBackedArray::failedResizeThrows() {
    const QString path = dir_.filePath(QStringLiteral("readonly.bin"));
    QVERIFY(writeFile(path, QByteArray(10, 'a')));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    FileBackedArray<double> array(&file, ConversionError::ReadFailed);
    QCOMPARE(thrownBy([&] { array.resize(100); }), std::optional<int>(ConversionError::ReadFailed));

    FileSizeLimit limit(4096);
    if (!limit.isActive())
        QSKIP("cannot limit file sizes here");
    FileBackedArray<double> temporary;
    temporary.resize(100);
    QCOMPARE(thrownBy([&] { temporary.resize(100000); }),
             std::optional<int>(ConversionError::WriteFailed));
}

void TestFileBackedArray::failedWriteThrows() {
    const QString path = dir_.filePath(QStringLiteral("failing-writes.bin"));
    FailingFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    FileBackedArray<double> array(&file);
    array.resize(100000);
    for (qint64 i = 0; i < 1000; ++i)
        array.set(i, 1.0);
    file.failWrites = true;
    // Whether a window goes down when it moves or when flushed, the failure
    // comes out.
    QCOMPARE(thrownBy([&] {
                 for (qint64 i = 1000; i < 100000; ++i)
                     array.set(i, 2.0);
                 array.flush();
             }),
             std::optional<int>(ConversionError::WriteFailed));
    file.failWrites = false;
}

void TestFileBackedArray::failedReadThrowsTheCallersCode() {
    const QString path = dir_.filePath(QStringLiteral("failing-reads.bin"));
    QVERIFY(writeFile(path, QByteArray(500000, 'r')));
    FailingFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    FileBackedArray<quint8> array(&file, ConversionError::ReadFailed);
    QCOMPARE(array.value(0), quint8('r'));
    file.failReads = true;
    QCOMPARE(thrownBy([&] { array.value(400000); }),
             std::optional<int>(ConversionError::ReadFailed));
    // A failed read leaves no window behind that passes for read.
    file.failReads = false;
    QCOMPARE(array.value(400000), quint8('r'));
}

QTEST_GUILESS_MAIN(TestFileBackedArray)
#include "tst_FileBackedArray.moc"
