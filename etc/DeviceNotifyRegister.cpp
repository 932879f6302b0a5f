#include "etc/DeviceNotifyRegister.h"

#include <QFileInfo>
#include <QSocketNotifier>
#include <QStringList>

#include <optional>

#ifdef TH_HAVE_LIBUDEV
#include <libudev.h>
#endif

namespace zel::qmix::etc {

namespace {

constexpr uint KeyboardVendorId = 0x0b5e;
constexpr uint KeyboardProductId = 0x40c2;

bool isHexDigit(QChar c) {
    const char16_t u = c.toLower().unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f');
}

// A USB id as udev writes it: hexadecimal of either case, at most four digits.
// Compared as a number, so "b5e" and "0B5E" are the same vendor.
std::optional<uint> parseUsbId(const QString& text) {
    if (text.isEmpty() || text.size() > 4) {
        return std::nullopt;
    }
    for (const QChar c : text) {
        if (!isHexDigit(c)) {
            return std::nullopt;
        }
    }
    return text.toUInt(nullptr, 16);
}

bool namesKeyboard(const QString& vendor, const QString& product) {
    return parseUsbId(vendor) == KeyboardVendorId && parseUsbId(product) == KeyboardProductId;
}

// The kernel's own form, "vendor/product/release".
bool productNamesKeyboard(const QString& product) {
    const QStringList parts = product.split(QLatin1Char('/'));
    return parts.size() == 3 && namesKeyboard(parts.at(0), parts.at(1));
}

bool propertiesNameKeyboard(const QHash<QString, QString>& properties) {
    // The interfaces of the keyboard carry its ids as well; only the device
    // itself stands for plugging it in or out.
    const auto devType = properties.constFind(QStringLiteral("DEVTYPE"));
    if (devType != properties.constEnd() && *devType != QLatin1String("usb_device")) {
        return false;
    }
    return namesKeyboard(properties.value(QStringLiteral("ID_VENDOR_ID")),
                         properties.value(QStringLiteral("ID_MODEL_ID")))
        || productNamesKeyboard(properties.value(QStringLiteral("PRODUCT")));
}

} // namespace

DeviceNotifyRegister::DeviceNotifyRegister(QObject* window) : QObject(window) {
    startMonitor();
}

DeviceNotifyRegister::~DeviceNotifyRegister() {
    release();
}

KeyboardDeviceEvent DeviceNotifyRegister::classify(const QString& action,
                                                   const QHash<QString, QString>& properties) {
    KeyboardDeviceEvent event = KeyboardDeviceEvent::None;
    if (action == QLatin1String("add")) {
        event = KeyboardDeviceEvent::Plugged;
    } else if (action == QLatin1String("remove")) {
        event = KeyboardDeviceEvent::Unplugged;
    }
    if (event == KeyboardDeviceEvent::None || !propertiesNameKeyboard(properties)) {
        return KeyboardDeviceEvent::None;
    }
    return event;
}

void DeviceNotifyRegister::startMonitor() {
#ifdef TH_HAVE_LIBUDEV
    udev_ = udev_new();
    if (udev_ == nullptr) {
        return;
    }
    // Without a running udev daemon its events never come (libudev then
    // listens to nothing); the kernel's own events name the device in PRODUCT,
    // and the reconnection waits long enough for the device node to be ready.
    const char* source = QFileInfo::exists(QStringLiteral("/run/udev/control")) ? "udev" : "kernel";
    monitor_ = udev_monitor_new_from_netlink(udev_, source);
    if (monitor_ == nullptr
        || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0
        || udev_monitor_enable_receiving(monitor_) < 0 || udev_monitor_get_fd(monitor_) < 0) {
        release();
        return;
    }
    notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &DeviceNotifyRegister::readEvents);
#endif
}

void DeviceNotifyRegister::readEvents() {
#ifdef TH_HAVE_LIBUDEV
    // One wake-up may stand for several events; the socket does not block, so
    // the loop ends when none is left.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const QString action = QString::fromUtf8(udev_device_get_action(device));
        QHash<QString, QString> properties;
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
            properties.insert(QString::fromUtf8(udev_list_entry_get_name(entry)),
                              QString::fromUtf8(udev_list_entry_get_value(entry)));
        }
        udev_device_unref(device);
        switch (classify(action, properties)) {
        case KeyboardDeviceEvent::Plugged:
            emit keyboardPlugged();
            break;
        case KeyboardDeviceEvent::Unplugged:
            emit keyboardUnplugged();
            break;
        case KeyboardDeviceEvent::None:
            break;
        }
    }
#endif
}

void DeviceNotifyRegister::release() {
    // The notifier goes first: it must not watch a socket that is closed.
    delete notifier_;
    notifier_ = nullptr;
#ifdef TH_HAVE_LIBUDEV
    if (monitor_ != nullptr) {
        udev_monitor_unref(monitor_);
    }
    if (udev_ != nullptr) {
        udev_unref(udev_);
    }
#endif
    monitor_ = nullptr;
    udev_ = nullptr;
}

} // namespace zel::qmix::etc
