#include "etc/DeviceNotifyRegister.h"

#include <QHash>
#include <QPointer>
#include <QTest>

#include <memory>

using zel::qmix::etc::DeviceNotifyRegister;
using zel::qmix::etc::KeyboardDeviceEvent;
using Properties = QHash<QString, QString>;

Q_DECLARE_METATYPE(KeyboardDeviceEvent)

namespace {

// What udev reports for a USB device, in its database form.
Properties ids(const QString& vendor, const QString& product) {
    return {{QStringLiteral("SUBSYSTEM"), QStringLiteral("usb")},
            {QStringLiteral("DEVTYPE"), QStringLiteral("usb_device")},
            {QStringLiteral("ID_VENDOR_ID"), vendor},
            {QStringLiteral("ID_MODEL_ID"), product}};
}

// What the kernel itself reports: only "vendor/product/release".
Properties product(const QString& value) {
    return {{QStringLiteral("SUBSYSTEM"), QStringLiteral("usb")},
            {QStringLiteral("DEVTYPE"), QStringLiteral("usb_device")},
            {QStringLiteral("PRODUCT"), value}};
}

Properties without(Properties properties, const QString& key) {
    properties.remove(key);
    return properties;
}

Properties with(Properties properties, const QString& key, const QString& value) {
    properties.insert(key, value);
    return properties;
}

} // namespace

class TestDeviceNotifyRegister : public QObject {
    Q_OBJECT

private slots:
    void classify_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<Properties>("properties");
        QTest::addColumn<KeyboardDeviceEvent>("expected");

        const QString add = QStringLiteral("add");
        const QString remove = QStringLiteral("remove");
        const Properties keyboard = ids(QStringLiteral("0b5e"), QStringLiteral("40c2"));
        const auto plugged = KeyboardDeviceEvent::Plugged;
        const auto unplugged = KeyboardDeviceEvent::Unplugged;
        const auto none = KeyboardDeviceEvent::None;

        QTest::newRow("plugged, ids") << add << keyboard << plugged;
        QTest::newRow("unplugged, ids") << remove << keyboard << unplugged;
        QTest::newRow("plugged, upper-case ids") << add << ids("0B5E", "40C2") << plugged;
        QTest::newRow("unplugged, mixed-case ids") << remove << ids("0b5E", "40C2") << unplugged;
        QTest::newRow("plugged, kernel product") << add << product("b5e/40c2/100") << plugged;
        QTest::newRow("unplugged, kernel product") << remove << product("b5e/40c2/100") << unplugged;
        QTest::newRow("plugged, upper-case product") << add << product("B5E/40C2/1A0") << plugged;
        QTest::newRow("plugged, product with zeros") << add << product("0b5e/40c2/0100") << plugged;
        QTest::newRow("ids and product") << add << with(keyboard, "PRODUCT", "b5e/40c2/100") << plugged;
        QTest::newRow("no device type") << add << without(keyboard, "DEVTYPE") << plugged;

        QTest::newRow("other vendor") << add << ids("0b5f", "40c2") << none;
        QTest::newRow("other product") << add << ids("0b5e", "40c3") << none;
        QTest::newRow("vendor and product swapped") << add << ids("40c2", "0b5e") << none;
        QTest::newRow("vendor with a digit more") << add << ids("10b5e", "40c2") << none;
        QTest::newRow("product with a digit more") << remove << ids("0b5e", "40c20") << none;
        QTest::newRow("other device, product") << add << product("46d/c52b/1200") << none;
        QTest::newRow("other product, product") << remove << product("b5e/40c3/100") << none;
        QTest::newRow("ids in a longer text") << add << ids("x0b5e", "40c2y") << none;
        QTest::newRow("keyboard's interface") << add << with(keyboard, "DEVTYPE", "usb_interface") << none;
        QTest::newRow("interface, product")
            << remove << with(product("b5e/40c2/100"), "DEVTYPE", "usb_interface") << none;

        QTest::newRow("bind") << "bind" << keyboard << none;
        QTest::newRow("unbind") << "unbind" << keyboard << none;
        QTest::newRow("change") << "change" << keyboard << none;
        QTest::newRow("online") << "online" << keyboard << none;
        QTest::newRow("no action") << QString() << keyboard << none;

        QTest::newRow("no properties") << add << Properties() << none;
        QTest::newRow("vendor only") << add << without(keyboard, "ID_MODEL_ID") << none;
        QTest::newRow("model only") << remove << without(keyboard, "ID_VENDOR_ID") << none;
        QTest::newRow("empty ids") << add << ids(QString(), QString()) << none;
        QTest::newRow("product without release") << add << product("b5e/40c2") << none;
        QTest::newRow("product vendor only") << add << product("b5e") << none;
        QTest::newRow("empty product parts") << add << product("//") << none;
    }

    void classify() {
        QFETCH(QString, action);
        QFETCH(Properties, properties);
        QFETCH(KeyboardDeviceEvent, expected);
        QCOMPARE(DeviceNotifyRegister::classify(action, properties), expected);
    }

    // Whether or not device events can be watched here, the register comes
    // and goes with the window without harm.
    void livesAndDiesWithItsWindow() {
        auto window = std::make_unique<QObject>();
        QPointer<DeviceNotifyRegister> notify = new DeviceNotifyRegister(window.get());
        QCOMPARE(notify->parent(), window.get());
        QCoreApplication::processEvents();
        window.reset();
        QVERIFY(notify.isNull());
    }
};

QTEST_GUILESS_MAIN(TestDeviceNotifyRegister)

#include "tst_DeviceNotifyRegister.moc"
