// Complete backups and restores of whole keyboards, model by model.
#include "KeyboardFixture.h"
#include "TransferLink.h"

#include "comm/AllDataBulkReceiveCommand.h"
#include "comm/AllDataBulkSendCommand.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommandResult.h"
#include "data/KeyboardInfo.h"
#include "emu/MemoryImage.h"
#include "midi/DeviceHandler.h"
#include "sysex/MessageType.h"

#include <QBuffer>
#include <QtTest>

#include <numeric>

using namespace zel::qmix;
using namespace zel::qmix::comm;
using sysex::BlockAddress;
using sysex::MessageType;
using From = TransferKeyboard::From;

namespace {

constexpr int ShortReplyTimeoutMs = 300;
constexpr int AllData = 31;

const data::KeyboardInfo* model(const QString& name) {
    return data::KeyboardInfo::find(name);
}

qint64 total(const QList<int>& sizes) {
    return std::accumulate(sizes.cbegin(), sizes.cend(), qint64(0));
}

using Link = TransferLink;

// Exposes what the tests look at inside a backup.
class Backup : public AllDataBulkReceiveCommand {
public:
    Backup(midi::DeviceHandler* handler, const data::KeyboardInfo* model)
        : AllDataBulkReceiveCommand(handler, nullptr) {
        setDevice(new QBuffer(this));
        setExpectedSizes(model->allDataBlockSizes());
        setLcdPictures(model->allDataLcdPictures(true));
        setEndsWithExi(model->isSecondGeneration());
        setReplyTimeoutMs(ShortReplyTimeoutMs);
    }
    quint64 total() const { return bytesTotal; }
};

class Restore : public AllDataBulkSendCommand {
public:
    Restore(midi::DeviceHandler* handler, const data::KeyboardInfo* model, const QByteArray& data)
        : AllDataBulkSendCommand(handler, nullptr) {
        auto* buffer = new QBuffer(this);
        buffer->setData(data);
        setDevice(buffer);
        setExpectedSizes(model->allDataBlockSizes());
        setLcdPictures(model->allDataLcdPictures(false));
        setEndsWithExi(model->isSecondGeneration());
        setReplyTimeoutMs(ShortReplyTimeoutMs);
    }
};

// Some user data in several categories, so that a backup carries more than
// a new keyboard's memory.
void someUserData(emu::KeyboardMemory& memory) {
    memory.setAreaData(19, 3, patternData(900, 1));
    memory.setAreaData(36, 1, patternData(5000, 2));
    memory.setAreaData(33, 0, patternData(20000, 3));
    memory.setAreaData(37, 4, patternData(700, 4));
}

} // namespace

class tst_BulkBackup : public QObject {
    Q_OBJECT

private slots:
    void backupAndRestore_data();
    void backupAndRestore();
    void backupOfAnotherBlockListFails();
    void restoreToAnotherBlockListFails();
    void restoreOfABackupOfTheWrongLengthFails_data();
    void restoreOfABackupOfTheWrongLengthFails();
    void backupListAlternatesPicturesAndBlocks();
    void backupWithoutPictures();
    void failedSizeReadIsACommunicationError();
};

void tst_BulkBackup::backupAndRestore_data() {
    QTest::addColumn<QString>("modelName");
    // One model of each backup layout; first and second generation.
    QTest::newRow("PRV-1100") << "PRV-1100";
    QTest::newRow("PRV-3100") << "PRV-3100";
    QTest::newRow("PRV-1200") << "PRV-1200";
    QTest::newRow("QS-1") << "QS-1";
    QTest::newRow("PRV-3200") << "PRV-3200";
}

void tst_BulkBackup::backupAndRestore() {
    QFETCH(QString, modelName);
    const data::KeyboardInfo* keyboardModel = model(modelName);
    QVERIFY(keyboardModel);
    const QList<int> sizes = keyboardModel->allDataBlockSizes();
    const int blocks = int(sizes.size());
    const bool second = keyboardModel->isSecondGeneration();

    Link source("backup-source", keyboardModel, someUserData);
    QVERIFY(source.connected);
    Backup backup(&source.handler, keyboardModel);
    const CommandRun saved = runCommand(backup);

    QCOMPARE(saved.errorCode, 0);
    const auto result = saved.result.value<BulkReceiveCommandResult>();
    QVERIFY(result.succeeded);
    QCOMPARE(result.category, AllData);
    QCOMPARE(result.areaNumber, 0);
    QCOMPARE(result.name, QString("All Data"));
    QCOMPARE(result.data.size(), total(sizes));
    QCOMPARE(result.data, emu::MemoryImage::backupImage(source.keyboard.memory()));
    QCOMPARE(backup.total(), quint64(total(sizes)));
    QCOMPARE(saved.progress.last(), qMakePair(int(total(sizes)), int(total(sizes))));
    QCOMPARE(source.keyboard.count(From::Program, MessageType::HBR), blocks);
    QCOMPARE(source.keyboard.count(From::Program, MessageType::SBS), 2 * blocks);
    const auto lastOfBackup = source.keyboard.transferFromProgram().last();
    if (second) {
        QCOMPARE(lastOfBackup.type, int(MessageType::EXI));
    } else {
        QCOMPARE(lastOfBackup.type, int(MessageType::EBS));
        QCOMPARE(TransferKeyboard::addressOf(lastOfBackup.bytes),
                 (BlockAddress{AllData, 2, blocks - 1}));
    }
    // The last picture shown is the one before the last block.
    QCOMPARE(source.keyboard.lcdPicture(), keyboardModel->allDataLcdPictures(true).at(blocks - 1));

    Link target("backup-target", keyboardModel);
    QVERIFY(target.connected);
    Restore restore(&target.handler, keyboardModel, result.data);
    const CommandRun restored = runCommand(restore);

    QCOMPARE(restored.errorCode, 0);
    QCOMPARE(restored.result.value<BulkSendCommandResult>(),
             (BulkSendCommandResult{0, AllData, 0}));
    QVERIFY(target.keyboard.memory() == source.keyboard.memory());
    QCOMPARE(restored.progress.last(), qMakePair(int(total(sizes)), int(total(sizes))));
    QCOMPARE(target.keyboard.lcdPicture(), keyboardModel->allDataLcdPictures(false).last());
    QCOMPARE(target.keyboard.count(From::Program, MessageType::SBS), 1);
    QCOMPARE(target.keyboard.count(From::Program, MessageType::ESS), 2 * blocks + 1);
    const auto lastOfRestore = target.keyboard.transferFromProgram().last();
    // The pause after the first picture, and the end of a second generation.
    QCOMPARE(target.keyboard.count(From::Program, MessageType::EXI), second ? 2 : 1);
    if (second) {
        QCOMPARE(lastOfRestore.type, int(MessageType::EXI));
    } else {
        QCOMPARE(lastOfRestore.type, int(MessageType::EBS));
        QCOMPARE(TransferKeyboard::addressOf(lastOfRestore.bytes), (BlockAddress{0x30, 0, 0}));
    }

    Backup again(&target.handler, keyboardModel);
    const CommandRun savedAgain = runCommand(again);
    QCOMPARE(savedAgain.errorCode, 0);
    QVERIFY(savedAgain.result.value<BulkReceiveCommandResult>().data == result.data);
}

void tst_BulkBackup::backupOfAnotherBlockListFails() {
    const data::KeyboardInfo* keyboardModel = model("PRV-3100");
    Link link("backup-other-list", keyboardModel);
    QVERIFY(link.connected);
    Backup backup(&link.handler, keyboardModel);
    backup.setExpectedSizes(keyboardModel->allDataBlockSizes() + QList<int>{8188});

    const CommandRun run = runCommand(backup);

    QCOMPARE(run.errorCode, int(CommandErrorCode::CommunicationError));
    QCOMPARE(run.result.value<BulkReceiveCommandResult>(),
             (BulkReceiveCommandResult{false, 0x31, 0, QByteArray(), QString(),
                                       CommandErrorCode::CommunicationError}));
    QVERIFY(link.keyboard.transferFromProgram().isEmpty());
}

void tst_BulkBackup::restoreToAnotherBlockListFails() {
    const data::KeyboardInfo* keyboardModel = model("PRV-3100");
    Link link("restore-other-list", keyboardModel);
    QVERIFY(link.connected);
    // A backup of a PRV-1100 offered to a PRV-3100.
    const data::KeyboardInfo* other = model("PRV-1100");
    Restore restore(&link.handler, other, QByteArray(int(total(other->allDataBlockSizes())), 0));
    const CommandRun run = runCommand(restore);

    QCOMPARE(run.errorCode, int(CommandErrorCode::FileFormatError));
    QVERIFY(link.keyboard.transferFromProgram().isEmpty());
}

void tst_BulkBackup::restoreOfABackupOfTheWrongLengthFails_data() {
    QTest::addColumn<int>("difference");
    QTest::newRow("one byte short") << -1;
    QTest::newRow("one byte over") << 1;
    QTest::newRow("empty") << -655336;
}

void tst_BulkBackup::restoreOfABackupOfTheWrongLengthFails() {
    QFETCH(int, difference);
    const data::KeyboardInfo* keyboardModel = model("PRV-3100");
    const qint64 right = total(keyboardModel->allDataBlockSizes());
    Link link("restore-wrong-length", keyboardModel, someUserData);
    QVERIFY(link.connected);
    const emu::KeyboardMemory before = link.keyboard.memory();
    QByteArray backup = emu::MemoryImage::backupImage(before);
    QCOMPARE(backup.size(), right);
    backup.resize(right + difference);

    Restore restore(&link.handler, keyboardModel, backup);
    const CommandRun run = runCommand(restore);

    QCOMPARE(run.errorCode, int(CommandErrorCode::FileFormatError));
    QVERIFY(link.keyboard.transferFromProgram().isEmpty());
    QVERIFY(link.keyboard.memory() == before);
}

void tst_BulkBackup::backupListAlternatesPicturesAndBlocks() {
    // A keyboard that reports two blocks but takes no transfer.
    KeyboardFixture fixture("backup-list");
    QVERIFY(fixture.connected);
    fixture.keyboard->setParameter(35, {2});
    fixture.keyboard->setAreaParameter(AllData, 0, 31, {65532});
    fixture.keyboard->setAreaParameter(AllData, 1, 31, {8188});
    Backup backup(&fixture.handler, model("PRV-1100"));
    backup.setExpectedSizes({65532, 8188});
    const QList<QByteArray> pictures = model("PRV-1100")->allDataLcdPictures(true);

    const CommandRun run = runCommand(backup);

    QCOMPARE(run.errorCode, int(CommandErrorCode::Rejected));
    QCOMPARE(backup.total(), quint64(73720));
    const QList<BulkElement> list = backup.transferList();
    QCOMPARE(list.size(), 4);
    QCOMPARE(list.at(0), (BulkElement{0, 0x30, 0, 0, pictures.at(0), 0, 203}));
    QCOMPARE(list.at(1), (BulkElement{1, AllData, 0, 2, QByteArray(), 65532, 203}));
    QCOMPARE(list.at(2), (BulkElement{0, 0x30, 0, 0, pictures.at(1), 0, 203}));
    QCOMPARE(list.at(3), (BulkElement{1, AllData, 1, 2, QByteArray(), 8188, 203}));
}

void tst_BulkBackup::backupWithoutPictures() {
    const data::KeyboardInfo* keyboardModel = model("PRV-3100");
    Link link("backup-no-pictures", keyboardModel, someUserData);
    QVERIFY(link.connected);
    Backup backup(&link.handler, keyboardModel);
    backup.setLcdPictures({});

    const CommandRun run = runCommand(backup);

    QCOMPARE(run.errorCode, 0);
    QCOMPARE(run.result.value<BulkReceiveCommandResult>().data,
             emu::MemoryImage::backupImage(link.keyboard.memory()));
    // One transfer from the keyboard, block after block.
    QCOMPARE(link.keyboard.count(From::Program, MessageType::SBS), 1);
    QCOMPARE(link.keyboard.count(From::Program, MessageType::HBS), 0);
    QCOMPARE(link.keyboard.count(From::Program, MessageType::HBR), 6);
}

void tst_BulkBackup::failedSizeReadIsACommunicationError() {
    const data::KeyboardInfo* keyboardModel = model("PRV-3100");
    midi::DeviceHandler unconnected;
    Restore restore(&unconnected, keyboardModel,
                    QByteArray(int(total(keyboardModel->allDataBlockSizes())), 0));
    Backup backup(&unconnected, keyboardModel);

    QCOMPARE(runCommand(restore).errorCode, int(CommandErrorCode::CommunicationError));
    QCOMPARE(runCommand(backup).errorCode, int(CommandErrorCode::CommunicationError));
}

QTEST_GUILESS_MAIN(tst_BulkBackup)
#include "tst_BulkBackup.moc"
