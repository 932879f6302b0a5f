#include "CommandCaller.h"
#include "comm/CommandErrorCode.h"
#include "comm/FileCopyCommand.h"
#include "comm/FileCopyCommandResult.h"
#include "comm/KeyboardCommunicator.h"

#include "ScriptCommand.h"

#include "ProtectedPath.h"
#include <QByteArray>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaType>
#include <QSharedPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

using namespace zel::qmix;
using comm::CommandErrorCode;
using comm::FileCopyCommand;
using comm::FileCopyCommandResult;

namespace {

constexpr int Patience = 20000;

QByteArray pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

FileCopyCommandResult resultOf(const FileCopyCommand& command) {
    return command.result().value<FileCopyCommandResult>();
}

} // namespace

class tst_FileCopyCommand : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void resultTypeIsKnownByItsFullName();
    void copiesUnderAFreeSafeName_data();
    void copiesUnderAFreeSafeName();
    void copiesAtMostTheByteLimit_data();
    void copiesAtMostTheByteLimit();
    void reportsProgressEverySixteenBlocks();
    void emptySourceGivesEmptyCopy();
    void missingSourceLeavesNothingBehind();
    void closedFolderIsAWriteError();
    void cancelBeforeRunCopiesNothing();
    void cancelDuringCopyRemovesThePartialFile();
    void suspensionHoldsTheCopy();
    void registrationWiresTheCaller();

private:
    QString sourceOf(int size, const QString& name = QStringLiteral("source.bin"));

    QTemporaryDir root_;
    QString from_;
    QString to_;
};

void tst_FileCopyCommand::initTestCase() {
    QVERIFY(root_.isValid());
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
}

void tst_FileCopyCommand::init() {
    static int round = 0;
    ++round;
    from_ = root_.filePath(QStringLiteral("from%1").arg(round));
    to_ = root_.filePath(QStringLiteral("to%1").arg(round));
    QVERIFY(QDir().mkpath(from_));
    QVERIFY(QDir().mkpath(to_));
}

QString tst_FileCopyCommand::sourceOf(int size, const QString& name) {
    const QString path = QDir(from_).filePath(name);
    writeFile(path, pattern(size));
    return path;
}

void tst_FileCopyCommand::resultTypeIsKnownByItsFullName() {
    FileCopyCommand command(QStringLiteral("x"), QDir(to_), QStringLiteral("x"),
                            QStringLiteral(".wav"));
    const QMetaType found = QMetaType::fromName("zel::qmix::comm::FileCopyCommandResult");
    QVERIFY(found.isValid());
    QCOMPARE(found.id(), QMetaType::fromType<FileCopyCommandResult>().id());
}

void tst_FileCopyCommand::copiesUnderAFreeSafeName_data() {
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");

    QTest::newRow("free") << "Take 1"
                          << ".wav" << QStringList() << "Take 1.wav";
    QTest::newRow("taken once") << "Take 1"
                                << ".wav" << QStringList{"Take 1.wav"} << "Take 1(2).wav";
    QTest::newRow("taken twice") << "Take 1"
                                 << ".wv7" << QStringList{"Take 1.wv7", "Take 1(2).wv7"}
                                 << "Take 1(3).wv7";
    QTest::newRow("other extension is no clash")
        << "Take 1"
        << ".wv7" << QStringList{"Take 1.wav"} << "Take 1.wv7";
    QTest::newRow("trimmed") << "  Piano   "
                             << ".wav" << QStringList() << "Piano.wav";
    QTest::newRow("path characters") << "a/b:c*d"
                                     << ".wav" << QStringList() << "a_b_c_d.wav";
    QTest::newRow("device name") << "NUL"
                                 << ".wav" << QStringList() << "NUL_.wav";
    QTest::newRow("hidden behind spaces") << "  .hidden"
                                          << ".wav" << QStringList() << "_hidden.wav";
    QTest::newRow("only spaces") << "    "
                                 << ".wav" << QStringList() << "_.wav";
}

void tst_FileCopyCommand::copiesUnderAFreeSafeName() {
    QFETCH(QString, requested);
    QFETCH(QString, extension);
    QFETCH(QStringList, existing);
    QFETCH(QString, expected);

    for (const QString& name : existing)
        QVERIFY(writeFile(QDir(to_).filePath(name), "old"));
    const QString source = sourceOf(5000);

    FileCopyCommand command(source, QDir(to_), requested, extension);
    command.execute();

    const FileCopyCommandResult result = resultOf(command);
    QCOMPARE(result.errorCode, 0);
    QCOMPARE(result.sourcePath, source);
    QCOMPARE(result.destinationPath, QDir(to_).filePath(expected));
    QCOMPARE(readFile(result.destinationPath), pattern(5000));
    for (const QString& name : existing)
        QCOMPARE(readFile(QDir(to_).filePath(name)), QByteArray("old"));
}

void tst_FileCopyCommand::copiesAtMostTheByteLimit_data() {
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("copied");

    QTest::newRow("no limit") << qint64(FileCopyCommand::NoLimit) << 250000;
    QTest::newRow("within a block") << qint64(1000) << 1000;
    QTest::newRow("across blocks") << qint64(204801) << 204801;
    QTest::newRow("the whole file") << qint64(250000) << 250000;
    QTest::newRow("beyond the file") << qint64(900000) << 250000;
    QTest::newRow("zero") << qint64(0) << 0;
}

void tst_FileCopyCommand::copiesAtMostTheByteLimit() {
    QFETCH(qint64, limit);
    QFETCH(int, copied);

    FileCopyCommand command(sourceOf(250000), QDir(to_), QStringLiteral("cut"),
                            QStringLiteral(".bin"), limit);
    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    QCOMPARE(readFile(command.destinationPath()), pattern(250000).left(copied));
}

void tst_FileCopyCommand::reportsProgressEverySixteenBlocks() {
    // 20 blocks: reports before block 1 and block 17, then the end.
    const int size = 20 * int(FileCopyCommand::BlockSize) - 5;
    FileCopyCommand command(sourceOf(size), QDir(to_), QStringLiteral("p"), QStringLiteral(".bin"));
    QSignalSpy bytes(&command, &FileCopyCommand::progress);
    QSignalSpy fractions(&command, &FileCopyCommand::progressByDouble);

    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    QCOMPARE(bytes.size(), 3);
    QCOMPARE(bytes.at(0), (QList<QVariant>{0, size}));
    QCOMPARE(bytes.at(1), (QList<QVariant>{16 * int(FileCopyCommand::BlockSize), size}));
    QCOMPARE(bytes.at(2), (QList<QVariant>{size, size}));
    QCOMPARE(fractions.size(), 3);
    QCOMPARE(fractions.at(0).at(0).toDouble(), 0.0);
    QCOMPARE(fractions.at(1).at(0).toDouble(), 16.0 * FileCopyCommand::BlockSize / size);
    QCOMPARE(fractions.at(2).at(0).toDouble(), 1.0);
}

void tst_FileCopyCommand::emptySourceGivesEmptyCopy() {
    FileCopyCommand command(sourceOf(0), QDir(to_), QStringLiteral("empty"),
                            QStringLiteral(".bin"));
    QSignalSpy fractions(&command, &FileCopyCommand::progressByDouble);
    command.execute();

    QCOMPARE(resultOf(command).errorCode, 0);
    QVERIFY(QFileInfo::exists(command.destinationPath()));
    QCOMPARE(QFileInfo(command.destinationPath()).size(), 0);
    QCOMPARE(fractions.size(), 1);
    QCOMPARE(fractions.at(0).at(0).toDouble(), 1.0);
}

void tst_FileCopyCommand::missingSourceLeavesNothingBehind() {
    FileCopyCommand command(QDir(from_).filePath(QStringLiteral("missing.wav")), QDir(to_),
                            QStringLiteral("copy"), QStringLiteral(".wav"));
    QSignalSpy finished(&command, qOverload<QVariant>(&FileCopyCommand::finished));
    command.execute();

    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::FileReadError));
    QCOMPARE(finished.size(), 1);
    // The name was claimed at once; the empty claim must not stay.
    QVERIFY(QDir(to_).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void tst_FileCopyCommand::closedFolderIsAWriteError() {
    const QString source = sourceOf(3000);
    ProtectedPath closed(to_);
    if (!closed.isEffective())
        QSKIP("the folder cannot be closed to new files here");

    FileCopyCommand command(source, QDir(to_), QStringLiteral("copy"), QStringLiteral(".wav"));
    command.execute();

    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::FileWriteError));
    QVERIFY(QDir(to_).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void tst_FileCopyCommand::cancelBeforeRunCopiesNothing() {
    FileCopyCommand command(sourceOf(3000), QDir(to_), QStringLiteral("copy"),
                            QStringLiteral(".wav"));
    QSignalSpy started(&command, &FileCopyCommand::started);
    QSignalSpy finished(&command, qOverload<QVariant>(&FileCopyCommand::finished));
    command.cancel();
    command.execute();

    QCOMPARE(started.size(), 1);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::Canceled));
    QVERIFY(QDir(to_).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void tst_FileCopyCommand::cancelDuringCopyRemovesThePartialFile() {
    FileCopyCommand command(sourceOf(40 * int(FileCopyCommand::BlockSize)), QDir(to_),
                            QStringLiteral("copy"), QStringLiteral(".wav"));
    qint64 sizeWhenCancelled = -1;
    // The second report comes after 16 blocks: the copy is well under way.
    connect(&command, &FileCopyCommand::progress, &command, [&](int done, int) {
        if (done > 0 && sizeWhenCancelled < 0) {
            sizeWhenCancelled = QFileInfo(command.destinationPath()).size();
            command.cancel();
        }
    });
    command.execute();

    QVERIFY(sizeWhenCancelled > 0);
    QCOMPARE(resultOf(command).errorCode, int(CommandErrorCode::Canceled));
    QVERIFY(QDir(to_).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void tst_FileCopyCommand::suspensionHoldsTheCopy() {
    const auto command = QSharedPointer<FileCopyCommand>::create(
        sourceOf(20 * int(FileCopyCommand::BlockSize)), QDir(to_), QStringLiteral("copy"),
        QStringLiteral(".wav"));
    command->setSuspended(true);
    QThread* runner = QThread::create([command] { command->execute(); });
    runner->start();

    QTest::qWait(400);
    QVERIFY(!command->isDone());
    QVERIFY(!runner->isFinished());
    command->setSuspended(false);
    QVERIFY(runner->wait(Patience));
    delete runner;
    QCOMPARE(resultOf(*command).errorCode, 0);
    QCOMPARE(QFileInfo(command->destinationPath()).size(), 20 * FileCopyCommand::BlockSize);
}

void tst_FileCopyCommand::registrationWiresTheCaller() {
    const QString source = sourceOf(300000, QStringLiteral("Take 1.wv7"));
    comm::KeyboardCommunicator communicator(
        comm::PortChoice::matching(QStringLiteral("no such port"), QStringLiteral("no such port")));
    QSignalSpy heavy(&communicator, &comm::KeyboardCommunicator::newHeavyCommandRegistered);
    CommandCaller caller;

    communicator.registerFileCopyCommand(
        source, to_, QStringLiteral("Take 1"), QStringLiteral(".wav"), 1000,
        QStringLiteral("Exporting \"Take 1\""), caller.connections());
    QCOMPARE(heavy.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);

    QCOMPARE(caller.starts, (QList<QVariant>{QStringLiteral("Exporting \"Take 1\"")}));
    QCOMPARE(caller.progress.constLast(), qMakePair(1000, 1000));
    const QVariant finished = caller.finishes.constFirst();
    QCOMPARE(finished.metaType(), QMetaType::fromType<FileCopyCommandResult>());
    const QString destination = QDir(to_).filePath(QStringLiteral("Take 1.wav"));
    QCOMPARE(finished.value<FileCopyCommandResult>(),
             (FileCopyCommandResult{0, source, destination}));
    QCOMPARE(readFile(destination), pattern(300000).left(1000));

    // The caller's cancel reaches a command that waits in the queue.
    caller.finishes.clear();
    auto gate = std::make_shared<Gate>();
    auto holder = QSharedPointer<ScriptCommand>::create("hold", std::make_shared<EventLog>());
    holder->holdAt(gate);
    communicator.registerCommand(holder, comm::KeyboardCommunicator::ControlLevel);
    holder.reset();
    QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), Patience);
    communicator.registerFileCopyCommand(source, to_, QStringLiteral("Later"),
                                         QStringLiteral(".wav"), FileCopyCommand::NoLimit,
                                         QStringLiteral("Later"), caller.connections());
    emit caller.cancelPressed();
    gate->open();
    QTRY_COMPARE_WITH_TIMEOUT(caller.finishes.size(), 1, Patience);
    QCOMPARE(caller.finishes.constFirst().value<FileCopyCommandResult>().errorCode,
             int(CommandErrorCode::Canceled));
    QVERIFY(!QFileInfo::exists(QDir(to_).filePath(QStringLiteral("Later.wav"))));
}

QTEST_GUILESS_MAIN(tst_FileCopyCommand)
#include "tst_FileCopyCommand.moc"
