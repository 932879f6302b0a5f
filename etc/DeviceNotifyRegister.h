#pragma once

#include "etc/KeyboardDeviceEvent.h"

#include <QHash>
#include <QObject>
#include <QString>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace zel::qmix::etc {

// Tells the main window when the keyboard is plugged in or out, from the
// system's USB device events read on the GUI thread. Where device events
// cannot be watched (no udev support built in, no permission), it stays
// silent and the user reconnects by hand.
class DeviceNotifyRegister : public QObject {
    Q_OBJECT

public:
    // The parent is the main window.
    explicit DeviceNotifyRegister(QObject* window);
    ~DeviceNotifyRegister() override;

    // Whether device events are being watched.
    bool isRegistered() const { return notifier_ != nullptr; }

    // Reads one device event from its action ("add", "remove", ...) and its
    // udev properties: the keyboard is known by its USB vendor and product
    // ids, from ID_VENDOR_ID and ID_MODEL_ID or from PRODUCT.
    static KeyboardDeviceEvent classify(const QString& action,
                                        const QHash<QString, QString>& properties);

signals:
    void keyboardPlugged();
    void keyboardUnplugged();

private:
    void startMonitor();
    void readEvents();
    void release();

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace zel::qmix::etc
