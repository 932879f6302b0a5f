#include "ScriptCommand.h"
#include "ScriptedKeyboard.h"

#include "comm/CommandRelay.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/ModelIdentifier.h"
#include "data/KeyboardInfo.h"
#include "etc/Settings.h"
#include "midi/DeviceHandler.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace zel::qmix;
using namespace zel::qmix::comm;

using Values = QVector<qint32>;

namespace {

constexpr int Patience = 30000;
const QString KeyboardName("communicator-test-keyboard");

Values text(const QString& characters) {
    Values values;
    for (QChar c : characters)
        values << c.unicode();
    return values;
}

// Where a caller's slots and signals would be.
class Caller : public QObject {
    Q_OBJECT
public:
    QStringList names;

signals:
    void cancelPressed();
    void suspendChanged(bool suspended);

public slots:
    void onFinishModelName(QString name) { names << name; }
};

} // namespace

class tst_KeyboardCommunicator : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void modelNameWithoutKeyboardIsEmpty();
    void modelNameFromKeyboard_data();
    void modelNameFromKeyboard();
    void modelNameReachesTheCallersSlot();
    void reconnectDropsQueuedCommandsSilently();
    void failingHeavyCommandCancelsTheHeavyOnesBehind();
    void cancelAndSuspendSourcesReachTheRunningCommand();
    void identify_data();
    void identify();
    void identifyWithoutKeyboard();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<etc::Settings> settings_;
};

void tst_KeyboardCommunicator::initTestCase() {
    // Only the wire's test keyboards may be found: no sound server of the
    // machine is asked, and none is started.
    qputenv("JACK_DEFAULT_SERVER", QByteArray("toneharbour-no-server-") +
                                       QByteArray::number(QCoreApplication::applicationPid()));
    qputenv("JACK_NO_START_SERVER", "1");
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    settings_ = std::make_unique<etc::Settings>(folder_->filePath("settings.ini"),
                                                folder_->filePath("documents"));
}

void tst_KeyboardCommunicator::modelNameWithoutKeyboardIsEmpty() {
    QElapsedTimer elapsed;
    elapsed.start();
    KeyboardCommunicator communicator;
    QVERIFY(!communicator.isConnected());

    QCOMPARE(communicator.modelName(), QString(""));
    // Without ports the command fails at once instead of waiting 4000 ms.
    QVERIFY2(elapsed.elapsed() < 3500, qPrintable(QString::number(elapsed.elapsed())));
}

void tst_KeyboardCommunicator::modelNameFromKeyboard_data() {
    QTest::addColumn<bool>("search");
    QTest::newRow("searched") << true;
    QTest::newRow("by port names") << false;
}

void tst_KeyboardCommunicator::modelNameFromKeyboard() {
    QFETCH(bool, search);

    ScriptedKeyboard keyboard(KeyboardName);
    keyboard.setParameter(0, text("PRV-1100"));
    KeyboardCommunicator communicator(search ? PortChoice::search()
                                             : PortChoice::matching(KeyboardName, KeyboardName));
    QVERIFY(communicator.isConnected());
    QCOMPARE(communicator.deviceHandler()->connectedIn().name(), KeyboardName);

    QCOMPARE(communicator.modelName(), QString("PRV-1100"));
}

void tst_KeyboardCommunicator::modelNameReachesTheCallersSlot() {
    ScriptedKeyboard keyboard(KeyboardName);
    keyboard.setParameter(0, text("QS-1    "));
    KeyboardCommunicator communicator(PortChoice::matching(KeyboardName, KeyboardName));
    Caller caller;

    communicator.registerModelNameCommand(&caller, SLOT(onFinishModelName(QString)));

    QTRY_COMPARE_WITH_TIMEOUT(caller.names, QStringList{"QS-1    "}, Patience);
}

void tst_KeyboardCommunicator::reconnectDropsQueuedCommandsSilently() {
    ScriptedKeyboard keyboard(KeyboardName);
    KeyboardCommunicator communicator(PortChoice::matching(KeyboardName, KeyboardName));
    auto log = std::make_shared<EventLog>();
    auto gate = std::make_shared<Gate>();
    auto holder = QSharedPointer<ScriptCommand>::create("hold", log);
    holder->holdAt(gate);
    communicator.registerCommand(holder, 0);
    holder.reset();
    QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), Patience);

    QList<QWeakPointer<ScriptCommand>> dropped;
    const QList<QPair<int, KeyboardCommunicator::Weight>> queued{
        {0, KeyboardCommunicator::Weight::Light},
        {1, KeyboardCommunicator::Weight::Light},
        {4, KeyboardCommunicator::Weight::Heavy}};
    for (const auto& [level, weight] : queued) {
        auto command = QSharedPointer<ScriptCommand>::create("dropped", log);
        dropped << command;
        communicator.registerCommand(command, level, weight);
    }

    QVERIFY(communicator.reconnect());
    gate->open();
    communicator.registerCommand(QSharedPointer<ScriptCommand>::create("after", log), 4);

    QTRY_COMPARE_WITH_TIMEOUT(log->count("after:finished 0"), 1, Patience);
    QCOMPARE(log->count("hold:finished 0"), 1);
    QCOMPARE(log->eventsOf("dropped"), QStringList());
    for (const auto& command : dropped)
        QTRY_VERIFY_WITH_TIMEOUT(command.isNull(), Patience);
}

void tst_KeyboardCommunicator::failingHeavyCommandCancelsTheHeavyOnesBehind() {
    KeyboardCommunicator communicator;
    QSignalSpy heavyAnnounced(&communicator, &KeyboardCommunicator::newHeavyCommandRegistered);
    auto log = std::make_shared<EventLog>();
    auto gate = std::make_shared<Gate>();
    const auto heavy = KeyboardCommunicator::Weight::Heavy;

    auto failing = QSharedPointer<ScriptCommand>::create("failing", log);
    failing->holdAt(gate);
    failing->setSteps(3);
    failing->failAt(2, CommandErrorCode::CommunicationError);
    communicator.registerCommand(failing, 4, heavy);
    failing.reset();
    QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), Patience);
    auto first = QSharedPointer<ScriptCommand>::create("first", log);
    auto second = QSharedPointer<ScriptCommand>::create("second", log);
    auto light = QSharedPointer<ScriptCommand>::create("light", log);
    communicator.registerCommand(first, 4, heavy);
    communicator.registerCommand(second, 4, heavy);
    communicator.registerCommand(light, 4);
    QCOMPARE(heavyAnnounced.count(), 3);

    gate->open();

    QTRY_COMPARE_WITH_TIMEOUT(log->count("light:finished 0"), 1, Patience);
    QCOMPARE(log->eventsOf("failing:finished"), QStringList{"failing:finished 1"});
    QCOMPARE(log->eventsOf("first:finished"), QStringList{"first:finished 5"});
    QCOMPARE(log->eventsOf("second:finished"), QStringList{"second:finished 5"});
    QCOMPARE(first->stepsTaken(), 0);
    QCOMPARE(second->stepsTaken(), 0);
    QCOMPARE(light->stepsTaken(), 1);
}

void tst_KeyboardCommunicator::cancelAndSuspendSourcesReachTheRunningCommand() {
    KeyboardCommunicator communicator;
    Caller caller;
    auto log = std::make_shared<EventLog>();
    auto gate = std::make_shared<Gate>();
    auto command = QSharedPointer<ScriptCommand>::create("running", log);
    command->holdAt(gate);
    command->setSteps(1000);
    communicator.connectCancelSource(command, &caller, SIGNAL(cancelPressed()));
    communicator.connectSuspendSource(command, &caller, SIGNAL(suspendChanged(bool)));
    communicator.registerCommand(command, 4, KeyboardCommunicator::Weight::Heavy);
    QTRY_VERIFY_WITH_TIMEOUT(gate->isWaiting(), Patience);

    emit caller.suspendChanged(true);
    QVERIFY(command->isSuspended());
    emit caller.cancelPressed();
    gate->open();
    QWeakPointer<ScriptCommand> weak = command;
    command.reset();

    QTRY_COMPARE_WITH_TIMEOUT(log->eventsOf("running:finished"), QStringList{"running:finished 5"},
                              Patience);
    QTRY_VERIFY_WITH_TIMEOUT(weak.isNull(), Patience);
    // The relays go with the command; a late signal reaches nothing.
    QTRY_VERIFY_WITH_TIMEOUT(communicator.findChildren<CommandRelay*>().isEmpty(), Patience);
    emit caller.cancelPressed();
}

void tst_KeyboardCommunicator::identify_data() {
    QTest::addColumn<QString>("reported");
    QTest::addColumn<QString>("expectedModel");

    QTest::newRow("exact") << "PRV-1100"
                           << "PRV-1100";
    QTest::newRow("trailing blanks") << "QS-1    "
                                     << "QS-1";
    QTest::newRow("unknown model") << "XY-9999 "
                                   << "";
    QTest::newRow("empty name") << QString(8, QChar(0)) << "";
}

void tst_KeyboardCommunicator::identify() {
    QFETCH(QString, reported);
    QFETCH(QString, expectedModel);

    ScriptedKeyboard keyboard(KeyboardName);
    keyboard.setParameter(0, text(reported));
    KeyboardCommunicator communicator(PortChoice::matching(KeyboardName, KeyboardName));
    settings_->setLastConnectedModel("before");
    data::KeyboardInfo* before = data::KeyboardInfo::currentModel();
    ModelIdentifier identifier(communicator, settings_.get());

    data::KeyboardInfo* model = identifier.identify();

    if (expectedModel.isEmpty()) {
        QCOMPARE(model, nullptr);
        QVERIFY(!communicator.isConnected());
        QVERIFY(!communicator.deviceHandler()->isConnected());
        QCOMPARE(data::KeyboardInfo::currentModel(), before);
        QCOMPARE(settings_->lastConnectedModel(), QString("before"));
        return;
    }
    QVERIFY(model);
    QCOMPARE(model->modelName().trimmed(), expectedModel);
    QCOMPARE(data::KeyboardInfo::currentModel(), model);
    QCOMPARE(settings_->lastConnectedModel(), expectedModel);
    QVERIFY(communicator.isConnected());
    QCOMPARE(identifier.reportedName(), expectedModel);
}

void tst_KeyboardCommunicator::identifyWithoutKeyboard() {
    KeyboardCommunicator communicator;
    ModelIdentifier identifier(communicator, nullptr);

    QCOMPARE(identifier.identify(ModelIdentifier::Reconnect::Skip), nullptr);
    QCOMPARE(identifier.identify(), nullptr);
    QVERIFY(!communicator.isConnected());
    QCOMPARE(identifier.reportedName(), QString());
}

QTEST_GUILESS_MAIN(tst_KeyboardCommunicator)
#include "tst_KeyboardCommunicator.moc"
