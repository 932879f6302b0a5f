// The audio commands, run as a separate process on card folders and WAV files
// made here: no keyboard is involved.
#include "CliRun.h"
#include "PtyProcess.h"

#include "file/CardAudioControlFile.h"

#include "../audio/WaveImages.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

using zel::qmix::file::CardAudioControlFile;
using zel::qmix::file::CardAudioEntry;

namespace {

QStringList lines(const QString& text) {
    QStringList split = text.split(QLatin1Char('\n'));
    if (!split.isEmpty() && split.constLast().isEmpty())
        split.removeLast();
    return split;
}

// A slow saw wave, the same for every run.
QByteArray wav(quint32 rate, quint16 channels, quint16 bits, qint64 frames) {
    wave_images::Format format;
    format.rate = rate;
    format.channels = channels;
    format.bits = bits;
    const qint64 top = (qint64(1) << (bits - 1)) - 1;
    std::vector<qint64> values(size_t(frames * channels));
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = (qint64(i) * 37 % 2001 - 1000) * top / 1500;
    return wave_images::pcmFile(format, values);
}

using Snapshot = QMap<QString, QByteArray>;

Snapshot snapshot(const QString& folder) {
    Snapshot files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, wave_images::readFile(dir.filePath(name)));
    return files;
}

} // namespace

class tst_AudioCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void helpListsTheAudioCommands();
    void wavInfo_data();
    void wavInfo();
    void wavConvertReplacesOnlyWhenDone();
    void roundTripKeepsTheControlFileValid();
    void failedImportDoesNotStopTheOthers();
    void exitStatus_data();
    void exitStatus();
    void interruptCancelsTheImport();

private:
    QString work(const QString& name) const { return dir_->filePath(name); }
    QString writeWav(const QString& name, const QByteArray& bytes) const;
    // A card at work("card") whose list holds one recording, "Take 1".
    void makeCard() const;
    QString audioFolder() const { return work(QStringLiteral("card/MUSICDAT")); }
    QString controlFile() const {
        return QDir(audioFolder()).filePath(CardAudioControlFile::kFileName);
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

void tst_AudioCommands::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    makeCard();
}

QString tst_AudioCommands::writeWav(const QString& name, const QByteArray& bytes) const {
    const QString path = work(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    wave_images::writeFile(path, bytes);
    return path;
}

void tst_AudioCommands::makeCard() const {
    QDir().mkpath(audioFolder());
    CardAudioEntry recording;
    recording.baseName = QStringLiteral("_REC0001");
    recording.extension = QStringLiteral("WV7");
    recording.kind = CardAudioEntry::Recordable;
    recording.dataSize = 8000 * 4;
    recording.seconds = 0;
    recording.dataName = QStringLiteral("Take 1      ");
    wave_images::writeFile(QDir(audioFolder()).filePath(recording.fileName()),
                           wav(42819, 2, 16, 8000));
    CardAudioControlFile control;
    control.append(recording);
    control.setTrailer(CardAudioControlFile::kTrailerCounted, 3);
    QByteArray bytes;
    control.toByteArray(bytes);
    wave_images::writeFile(controlFile(), bytes);
}

void tst_AudioCommands::helpListsTheAudioCommands() {
    const CliRun run = CliRun::run({"--help"});
    QVERIFY2(run.exitCode == 0, run.describe());
    for (const char* synopsis :
         {"wav info FILE", "wav convert IN OUT", "card list DIR",
          "card import DIR WAV... [--replace N]", "card export DIR N OUTDIR", "card delete DIR N"})
        QVERIFY2(run.out.contains(QLatin1String(synopsis)), synopsis);
}

void tst_AudioCommands::wavInfo_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("keyboard format")
        << wav(44100, 2, 16, 441) << 0
        << QStringList{"Result:          0 valid",  "Channels:        2",
                       "Sample rate:     44100 Hz", "Bits per sample: 16",
                       "Block align:     4",        "Data size:       1764 bytes",
                       "Data offset:     44",       "Data end:        1807",
                       "fmt offset:      20",       "Length:          441 frames, 0 s",
                       "Keyboard format: yes"};
    QTest::newRow("needs converting")
        << wav(48000, 1, 24, 96000) << 0
        << QStringList{"Length:          96000 frames, 2 s",
                       "Keyboard format: no: 24-bit, 1 channel, 48000 Hz"};
    QTest::newRow("too long")
        << wav(1, 1, 8, 6000) << 0
        << QStringList{"Keyboard format: no: 8-bit, 1 channel, 1 Hz, 6000 s or longer"};
    QTest::newRow("malformed") << wav(44100, 2, 16, 441).left(40) << 23
                               << QStringList{"Result:          1 malformed"};
}

void tst_AudioCommands::wavInfo() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QStringList, expected);

    const QString path = writeWav(QStringLiteral("info.wav"), bytes);
    const CliRun run = CliRun::run({"wav", "info", path});
    QVERIFY2(run.exitCode == status, run.describe());
    const QStringList printed = lines(run.out);
    QCOMPARE(printed.constFirst(), QStringLiteral("File:            ") + path);
    for (const QString& line : expected)
        QVERIFY2(printed.contains(line), qPrintable(line + "\n" + run.out));
}

void tst_AudioCommands::wavConvertReplacesOnlyWhenDone() {
    const QString input = writeWav(QStringLiteral("in.wav"), wav(22050, 1, 8, 22050));
    const QString output = work(QStringLiteral("out.wav"));
    wave_images::writeFile(output, "previous");

    // A failed conversion leaves the old output alone.
    const QString broken = writeWav(QStringLiteral("broken.wav"), wav(22050, 1, 8, 100).left(50));
    CliRun run = CliRun::run({"wav", "convert", broken, output});
    QVERIFY2(run.exitCode == 13, run.describe());
    QVERIFY2(run.err.contains(QLatin1String("File Format Error")), run.describe());
    QCOMPARE(wave_images::readFile(output), QByteArray("previous"));

    run = CliRun::run({"wav", "convert", input, output});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), output);
    const wave_images::Canonical converted = wave_images::readCanonical(output);
    QVERIFY(converted.ok);
    QCOMPARE(converted.rate, 44100u);
    QCOMPARE(converted.channels, quint16(2));
    QCOMPARE(converted.bits, quint16(16));
    QVERIFY(qAbs(qint64(converted.dataSize / 4) - 44100) <= 1);
    // Nothing but the input and the output.
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"broken.wav", "in.wav", "out.wav"}));
}

void tst_AudioCommands::roundTripKeepsTheControlFileValid() {
    const QString card = work(QStringLiteral("card"));
    const QString first = writeWav(QStringLiteral("pc/Piano.wav"), wav(22050, 1, 8, 22050));
    const QString second = writeWav(QStringLiteral("pc/Organ Solo.wav"), wav(44100, 2, 16, 4410));

    CliRun run = CliRun::run({"card", "import", card, first, second});
    QVERIFY2(run.exitCode == 0, run.describe());
    const QStringList imported = lines(run.out);
    QCOMPARE(imported.size(), 2);
    for (const QString& path : imported) {
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(audioFolder()).absolutePath());
        QVERIFY(QRegularExpression(QStringLiteral("^_[0-9A-F]{7}\\.WV7$"))
                    .match(QFileInfo(path).fileName())
                    .hasMatch());
    }

    run = CliRun::run({"card", "list", card});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(lines(run.out),
             (QStringList{"1\trec\tTake 1\t32000\t0", "1\tplay-44100\tPiano\t176400\t1",
                          "2\tplay-44100\tOrgan Solo\t17640\t0"}));
    CardAudioControlFile control;
    QCOMPARE(control.load(controlFile()), 0);
    QCOMPARE(QFileInfo(controlFile()).size(), 4 * 32);
    QCOMPARE(control.trailerCounter(), 3);
    QCOMPARE(control.entries().at(1).fileName(), QFileInfo(imported.at(0)).fileName());

    const QString out = work(QStringLiteral("exported"));
    run = CliRun::run({"card", "export", card, "1", out});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QDir(out).filePath(QStringLiteral("Take 1.WAV")));
    run = CliRun::run({"card", "export", card, "1", out});
    QVERIFY2(run.exitCode == 0, run.describe());
    QCOMPARE(run.line(), QDir(out).filePath(QStringLiteral("Take 1(2).WAV")));
    const wave_images::Canonical exported = wave_images::readCanonical(run.line());
    QVERIFY(exported.ok);
    QCOMPARE(exported.rate, 44100u);

    run = CliRun::run({"card", "delete", card, "1"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY(!QFileInfo::exists(imported.at(0)));
    QVERIFY(QFileInfo::exists(imported.at(1)));
    run = CliRun::run({"card", "list", card});
    QCOMPARE(lines(run.out),
             (QStringList{"1\trec\tTake 1\t32000\t0", "1\tplay-44100\tOrgan Solo\t17640\t0"}));
    QCOMPARE(control.load(controlFile()), 0);
    QCOMPARE(control.count(), 2);
    QCOMPARE(control.trailerCounter(), 3);

    // In place of the remaining play-only entry.
    run = CliRun::run({"card", "import", card, first, "--replace", "1"});
    QVERIFY2(run.exitCode == 0, run.describe());
    QVERIFY(!QFileInfo::exists(imported.at(1)));
    run = CliRun::run({"card", "list", card});
    QCOMPARE(lines(run.out),
             (QStringList{"1\trec\tTake 1\t32000\t0", "1\tplay-44100\tPiano\t176400\t1"}));
    // Only the card's own files are left in its folder.
    QCOMPARE(QDir(audioFolder()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

void tst_AudioCommands::failedImportDoesNotStopTheOthers() {
    const QString card = work(QStringLiteral("card"));
    const QString broken = writeWav(QStringLiteral("Broken.wav"), wav(44100, 2, 16, 10).left(30));
    const QString good = writeWav(QStringLiteral("Good.wav"), wav(44100, 2, 16, 441));

    CliRun run = CliRun::run({"card", "import", card, broken, good});
    QVERIFY2(run.exitCode == 13, run.describe());
    QVERIFY2(run.err.contains(QLatin1String("File Format Error: Broken.wav")), run.describe());
    QCOMPARE(lines(run.out).size(), 1);
    run = CliRun::run({"card", "list", card});
    QCOMPARE(lines(run.out).constLast(), QStringLiteral("1\tplay-44100\tGood\t1764\t0"));
}

void tst_AudioCommands::exitStatus_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QTest::newRow("no subcommand") << QStringList{"wav"} << 2 << "missing subcommand";
    QTest::newRow("unknown subcommand")
        << QStringList{"card", "format", "@card"} << 2 << "unknown subcommand";
    QTest::newRow("import without WAV") << QStringList{"card", "import", "@card"} << 2 << "";
    QTest::newRow("position 0") << QStringList{"card", "delete", "@card", "0"} << 2 << "from 1 on";
    QTest::newRow("no such recording")
        << QStringList{"card", "export", "@card", "2", "@out"} << 2 << "no recordable entry 2";
    QTest::newRow("no such play-only entry")
        << QStringList{"card", "delete", "@card", "1"} << 2 << "no play-only entry 1";
    QTest::newRow("replace that is not there")
        << QStringList{"card", "import", "@card", "@good", "--replace", "1"} << 2
        << "no play-only entry 1";
    QTest::newRow("replace with two files")
        << QStringList{"card", "import", "@card", "@good", "@good", "--replace", "1"} << 2
        << "one WAV";
    QTest::newRow("card without list")
        << QStringList{"card", "list", "@empty"} << 21 << "File Read Error";
    QTest::newRow("import without list")
        << QStringList{"card", "import", "@empty", "@good"} << 16 << "File Read Error: good.wav";
    QTest::newRow("missing WAV") << QStringList{"card", "import", "@card", "@missing"} << 16
                                 << "File Read Error: missing.wav";
    QTest::newRow("missing WAV to convert")
        << QStringList{"wav", "convert", "@missing", "@out/x.wav"} << 16 << "File Read Error";
    QTest::newRow("WAV info of a missing file")
        << QStringList{"wav", "info", "@missing"} << 21 << "";
    QTest::newRow("recording that is not there")
        << QStringList{"card", "export", "@gone", "1", "@out"} << 16 << "File Read Error";
}

void tst_AudioCommands::exitStatus() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);

    writeWav(QStringLiteral("good.wav"), wav(44100, 2, 16, 441));
    QDir().mkpath(work(QStringLiteral("empty/MUSICDAT")));
    // A card whose list names a recording that is not there.
    QDir().mkpath(work(QStringLiteral("gone/MUSICDAT")));
    QFile::copy(controlFile(), work(QStringLiteral("gone/MUSICDAT/TAVROWAV.DIR")));
    for (QString& argument : arguments) {
        if (argument.startsWith(QLatin1Char('@')))
            argument = work(argument.mid(1) + (argument == QLatin1String("@good") ||
                                                       argument == QLatin1String("@missing")
                                                   ? QStringLiteral(".wav")
                                                   : QString()));
    }
    const Snapshot before = snapshot(audioFolder());

    const CliRun run = CliRun::run(arguments);
    QVERIFY2(run.exitCode == status, run.describe());
    QVERIFY2(run.err.contains(message), run.describe());
    QCOMPARE(snapshot(audioFolder()), before);
}

void tst_AudioCommands::interruptCancelsTheImport() {
    const QString card = work(QStringLiteral("card"));
    // Three minutes of 8-bit mono: quick to write, a while to convert.
    const QString source = writeWav(QStringLiteral("Long.wav"), wav(48000, 1, 8, 48000 * 180));
    const Snapshot before = snapshot(audioFolder());

    PtyProcess terminal;
    QVERIFY(terminal.start(TH_CLI_PATH, {"card", "import", card, source},
                           CliRun::defaultEnvironment()));
    // Within the first conversions, long before the card is written.
    QVERIFY2(terminal.waitForMatch("Importing \"Long.wav\"    \\(1[0-9]%\\)", 60000),
             terminal.output().constData());
    terminal.type("\x03");
    QCOMPARE(terminal.waitForExit(60000), 130);
    QVERIFY2(!terminal.output().contains("(100%)"), terminal.output().constData());
    QVERIFY2(terminal.output().contains("interrupted"), terminal.output().constData());
    QCOMPARE(snapshot(audioFolder()), before);
}

QTEST_GUILESS_MAIN(tst_AudioCommands)
#include "tst_AudioCommands.moc"
