// Runs "toneharbour-cli file ..." on data files assembled byte by byte from the
// documented layouts, independently of the program's own file writers.
#include <QtTest>

namespace {

QByteArray le32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray be32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray be16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray le16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// The common 276-byte header followed by the payload.
QByteArray commonFile(const char* identifier, const char* model, quint32 version,
                      const QByteArray& payload, const QList<quint32>& table = {}) {
    QByteArray bytes(identifier, 4);
    bytes += QByteArray(model).leftJustified(8, ' ', true);
    bytes += le32(payload.size());
    bytes += be32(version);
    for (int i = 0; i < 64; ++i)
        bytes += le32(i < table.size() ? table.at(i) : 0);
    return bytes + payload;
}

QByteArray tone(int type) {
    QByteArray payload(32, '\x11');
    payload[4] = char((type << 2) | 0x41); // other bits of the byte are the tone's own
    return payload;
}

QByteArray drawbarPayload(int size) {
    QByteArray payload(size, '\x05');
    for (int i = 72; i <= 80 && i < size; ++i)
        payload[i] = char(i % 4);
    return payload;
}

QList<quint32> prv1100Blocks() {
    QList<quint32> blocks;
    for (int i = 0; i < 7; ++i)
        blocks << 65532;
    for (int i = 0; i < 3; ++i)
        blocks << 8188;
    return blocks;
}

QByteArray prv1100Backup(const char* model, int payloadSize) {
    // The header's length must describe the payload actually present.
    return commonFile("AL7F", model, 0, QByteArray(payloadSize, '\x22'), prv1100Blocks());
}

QByteArray rawRhythm(int size) {
    QByteArray bytes = le16(size);
    bytes += QByteArray(size - 2, '\x33');
    return bytes;
}

QByteArray nativeRhythm(int size, int claimedSize) {
    QByteArray bytes("AC07");
    bytes += le32(claimedSize);
    bytes += QByteArray(size - 8, '\x44');
    return bytes;
}

QByteArray wrappedRhythm(const QByteArray& raw) {
    QByteArray header("ACZF");
    header += QByteArray("PRV-3200");
    header += le16(raw.size());
    header += QByteArray(276 - header.size(), '\0');
    return header + raw;
}

QByteArray libraryRhythm(int bodySize, int type) {
    QByteArray bytes("TAVRO Music Lib");
    bytes += QByteArray(3, ' ');
    bytes += be16(bodySize);
    bytes += QByteArray(2, '\0');
    bytes += be16(type);
    bytes += QByteArray(64 - bytes.size(), '\0');
    return bytes + rawRhythm(bodySize);
}

QByteArray musicPreset(int size) {
    QByteArray bytes("CMPS");
    bytes += QByteArray(size - 4, '\x01');
    return bytes;
}

} // namespace

class tst_FileCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void check_data();
    void check();
    void checkMissingFile();
    void info();
    void newThenCheck();
    void usageErrors_data();
    void usageErrors();

private:
    struct Run {
        int exitCode;
        QString out;
        QString err;
    };
    Run cli(const QStringList& arguments);
    QString write(const QString& name, const QByteArray& bytes);

    QTemporaryDir dir_;
};

void tst_FileCommand::initTestCase() {
    QVERIFY(dir_.isValid());
}

tst_FileCommand::Run tst_FileCommand::cli(const QStringList& arguments) {
    QProcess process;
    // Fresh settings: the current model is then the default one.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TH_CLI_PATH), arguments);
    if (!process.waitForFinished(60000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QString tst_FileCommand::write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void tst_FileCommand::check_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("expected");

    QTest::newRow("tone type 0") << "t0.TN7" << commonFile("TN7F", "PRV-1100", 0, tone(0))
                                 << "PRV-1100" << 0;
    QTest::newRow("tone type 1 refused")
        << "t1.TN7" << commonFile("TN7F", "PRV-1100", 0, tone(1)) << "PRV-1100" << 3;
    QTest::newRow("tone type 1 accepted")
        << "t1.TN7" << commonFile("TN7F", "PRV-1200", 0, tone(1)) << "PRV-1200" << 0;
    QTest::newRow("tone type 2 refused everywhere")
        << "t2.TN7" << commonFile("TN7F", "PRV-1200", 0, tone(2)) << "PRV-1200" << 3;
    QTest::newRow("tone with wrong identifier")
        << "bad.TN7" << commonFile("TN7X", "PRV-1200", 0, tone(0)) << "PRV-1200" << 3;
    QTest::newRow("dsp") << "d.DS7" << commonFile("DS7F", "PRV-3200", 0, QByteArray(40, '\x07'))
                         << "PRV-1100" << 0;
    QTest::newRow("dsp header only")
        << "h.DS7" << commonFile("DS7F", "PRV-3200", 0, {}) << "PRV-3200" << 3;
    QTest::newRow("dsp length off by one")
        << "o.DS7" << commonFile("DS7F", "PRV-3200", 0, QByteArray(40, '\x07')).append('\0')
        << "PRV-3200" << 3;
    QTest::newRow("scale") << "s.CSD" << commonFile("CSD1", "QS-1", 0, QByteArray(30, '\x02'))
                           << "QS-2" << 0;
    QTest::newRow("drawbar version 0 converted")
        << "v0.DB7" << commonFile("DB7F", "PRV-1200", 0, drawbarPayload(84)) << "PRV-3200" << 0;
    QTest::newRow("drawbar version 0 of wrong size")
        << "v0s.DB7" << commonFile("DB7F", "PRV-1200", 0, drawbarPayload(83)) << "PRV-3200" << 3;
    QTest::newRow("drawbar version 1 for a version-0 model")
        << "v1.DB7" << commonFile("DB7F", "PRV-3200", 1, drawbarPayload(84)) << "PRV-1200" << 3;
    QTest::newRow("song version 0 relabelled")
        << "s0.CMS" << commonFile("TAV1", "PRV-1100", 0, QByteArray(900, '\x03')) << "PRV-3100"
        << 0;
    QTest::newRow("song version 1 for a version-0 model")
        << "s1.CMS" << commonFile("TAV1", "PRV-3100", 1, QByteArray(900, '\x03')) << "PRV-1100"
        << 3;
    QTest::newRow("song at the model's maximum")
        << "max.CMS" << commonFile("TAV1", "PRV-1100", 0, QByteArray(62240, '\x03')) << "PRV-1100"
        << 0;
    QTest::newRow("song larger than the model's maximum")
        << "big.CMS" << commonFile("TAV1", "PRV-1100", 0, QByteArray(62241, '\x03')) << "PRV-1100"
        << 5;
    QTest::newRow("registration of a sister model")
        << "r.RM7" << commonFile("RM7F", "PRV-1100", 0, QByteArray(64, '\x04')) << "LM-4100" << 0;
    QTest::newRow("registration of another model")
        << "r.RM7" << commonFile("RM7F", "PRV-1100", 0, QByteArray(64, '\x04')) << "QS-1" << 4;
    QTest::newRow("registration of the same newer model")
        << "r2.RM7" << commonFile("RM7F", "PRV-3200", 2, QByteArray(64, '\x04')) << "PRV-3200" << 0;
    QTest::newRow("registration of another version")
        << "r2.RM7" << commonFile("RM7F", "PRV-3200", 2, QByteArray(64, '\x04')) << "PRV-2200" << 3;
    QTest::newRow("backup on its own model")
        << "b.AL7" << prv1100Backup("PRV-1100", 483288) << "PRV-1100" << 0;
    QTest::newRow("backup on the sister model")
        << "b.AL7" << prv1100Backup("PRV-1100", 483288) << "LM-4100" << 0;
    QTest::newRow("sister backup the other way")
        << "b.AL7" << prv1100Backup("LM-4100", 483288) << "PRV-1100" << 0;
    QTest::newRow("backup on another first-generation model")
        << "b.AL7" << prv1100Backup("PRV-1100", 483288) << "QS-1" << 4;
    QTest::newRow("backup on its second generation")
        << "b.AL7" << prv1100Backup("PRV-1100", 483288) << "PRV-3100" << 4;
    QTest::newRow("backup whose payload misses a block byte")
        << "t.AL7" << prv1100Backup("PRV-1100", 483287) << "PRV-1100" << 3;
    QTest::newRow("backup truncated by one byte")
        << "t.AL7" << prv1100Backup("PRV-1100", 483288).chopped(1) << "PRV-1100" << 3;
    QTest::newRow("rhythm form 0") << "n.AC7" << nativeRhythm(120, 120) << "PRV-1100" << 0;
    QTest::newRow("rhythm form 0 with wrong length")
        << "n.AC7" << nativeRhythm(120, 121) << "PRV-1100" << 3;
    QTest::newRow("rhythm form 1") << "w.Z00" << wrappedRhythm(rawRhythm(100)) << "PRV-1100" << 0;
    QTest::newRow("rhythm form 1 with a bad inner rhythm")
        << "w.Z00" << wrappedRhythm(QByteArray(100, '\x7f')) << "PRV-1100" << 3;
    QTest::newRow("rhythm form 2") << "l.CKF" << libraryRhythm(100, 11) << "PRV-1100" << 0;
    QTest::newRow("rhythm form 2 of another type")
        << "l.CKF" << libraryRhythm(100, 12) << "PRV-1100" << 3;
    QTest::newRow("rhythm form 2 with wrong length")
        << "l.CKF" << libraryRhythm(100, 11).append("x") << "PRV-1100" << 3;
    QTest::newRow("rhythm form 3") << "r.AC7" << rawRhythm(19) << "PRV-1100" << 0;
    QTest::newRow("rhythm form 3 too short") << "r.AC7" << rawRhythm(18) << "PRV-1100" << 3;
    QTest::newRow("rhythm form 4") << "x.AC7" << QByteArray(64, '\x55') << "PRV-1100" << 3;
    QTest::newRow("rhythm larger than the maximum")
        << "big.AC7" << nativeRhythm(32765, 32765) << "PRV-1100" << 5;
    QTest::newRow("music preset") << "p.MPS" << musicPreset(43) << "PRV-1200" << 0;
    QTest::newRow("music preset too short") << "p.MPS" << musicPreset(10) << "PRV-1200" << 3;
    QTest::newRow("music preset empty") << "e.MPS" << QByteArray() << "PRV-1200" << 3;
    QTest::newRow("music preset with wrong magic")
        << "m.MPS" << QByteArray("CMPX") + QByteArray(40, '\0') << "PRV-1200" << 3;
    QTest::newRow("music preset larger than the maximum")
        << "big.MPS" << musicPreset(8201) << "PRV-1200" << 5;
}

void tst_FileCommand::check() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, model);
    QFETCH(int, expected);
    const QString path = write(name, bytes);
    const Run run = cli({"file", "check", path, "--model", model});
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QCOMPARE(run.exitCode, expected == 0 ? 0 : 20 + expected);
    QCOMPARE(run.out.section(QLatin1Char(' '), 0, 0), QString::number(expected));
    const QStringList texts{"OK",
                            "File Read Error",
                            "File Write Error",
                            "File Format Error",
                            "File Format Error",
                            "File Too Large"};
    QCOMPARE(run.out.trimmed(), QStringLiteral("%1 %2").arg(expected).arg(texts.at(expected)));
}

void tst_FileCommand::checkMissingFile() {
    const Run run = cli({"file", "check", dir_.filePath("absent.TN7"), "--model", "QS-1"});
    QCOMPARE(run.exitCode, 21);
    QCOMPARE(run.out.trimmed(), QStringLiteral("1 File Read Error"));
}

void tst_FileCommand::info() {
    const QString path = write("info.DB7", commonFile("DB7F", "PRV-1200", 0, drawbarPayload(84)));
    const Run run = cli({"file", "info", path});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QRegularExpression("Category:\\s+Drawbar Organ \\(DRAWBAR\\)")));
    QVERIFY(run.out.contains(QRegularExpression("Class:\\s+DrawbarDataFile")));
    QVERIFY(run.out.contains(QRegularExpression("Identifier:\\s+DB7F")));
    QVERIFY(run.out.contains(QRegularExpression("Model:\\s+PRV-1200")));
    QVERIFY(run.out.contains(QRegularExpression("Format version:\\s+0")));
    QVERIFY(run.out.contains(QRegularExpression("Payload size:\\s+84 bytes")));
    // The default model (PRV-3200) takes version-1 drawbars: this one converts.
    QVERIFY2(run.out.contains(QRegularExpression("Valid for PRV-3200:\\s+yes")),
             qPrintable(run.out));

    const QString library = write("info.CKF", libraryRhythm(100, 11));
    const Run rhythm = cli({"file", "info", library});
    QCOMPARE(rhythm.exitCode, 0);
    QVERIFY(rhythm.out.contains(QRegularExpression("Class:\\s+RhythmDataFile")));
    QVERIFY2(rhythm.out.contains(QRegularExpression("Payload size:\\s+100 bytes")),
             qPrintable(rhythm.out));

    const Run refused = cli({"file", "info", write("bad.TN7", QByteArray(100, 'x'))});
    QCOMPARE(refused.exitCode, 23);
}

void tst_FileCommand::newThenCheck() {
    const QString path = dir_.filePath("Song3.CMS");
    const Run created =
        cli({"file", "new", "sequencer", path, "--model", "PRV-2200", "--area", "3"});
    QCOMPARE(created.exitCode, 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.size(), 276 + 817);
    QCOMPARE(bytes.left(12), QByteArray("TAV1PRV-2200"));
    QCOMPARE(bytes.mid(16, 4), be32(1));
    QCOMPARE(bytes.at(276 + 20), '3');
    QCOMPARE(cli({"file", "check", path, "--model", "PRV-2200"}).exitCode, 0);
    QCOMPARE(cli({"file", "check", path, "--model", "PRV-1200"}).exitCode, 23);
}

void tst_FileCommand::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate"};
    QTest::newRow("file without subcommand") << QStringList{"file"};
    QTest::newRow("check without model") << QStringList{"file", "check", "x.TN7"};
    QTest::newRow("check with unknown model")
        << QStringList{"file", "check", "x.TN7", "--model", "prv-1100"};
    QTest::newRow("info with two files") << QStringList{"file", "info", "a.TN7", "b.TN7"};
    QTest::newRow("new for a category without empty item")
        << QStringList{"file", "new", "TONE", "x.TN7"};
    QTest::newRow("new for an area out of range")
        << QStringList{"file", "new", "SEQUENCER", "x.CMS", "--model", "PRV-1100", "--area", "6"};
}

void tst_FileCommand::usageErrors() {
    QFETCH(QStringList, arguments);
    const Run run = cli(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(!run.err.isEmpty());
}

QTEST_GUILESS_MAIN(tst_FileCommand)
#include "tst_FileCommand.moc"
