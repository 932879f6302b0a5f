#pragma once

#include "gui/AbstractCommandButton.h"

#include <QStringList>

namespace zel::qmix::gui {

// Sends one package file: the package is checked against the connected
// keyboard, the user confirms, and one send per element is queued. A failed
// element ends the package: the sends still waiting are cancelled.
class PackageDataSendButton : public AbstractCommandButton {
    Q_OBJECT
public:
    explicit PackageDataSendButton(QWidget* parent = nullptr);

    QString selectedPath() const { return selectedPath_; }
    // The queued sends listen to this button, which passes the progress
    // display's requests on and adds its own cancellation.
    void setCommandControlSource(const comm::CommandControlSource& source) override;

signals:
    void cancelRequested();
    void commandCancelDisableRequired();
    void suspendChangeRequested(bool suspended);

public slots:
    void beginSend(QString path);
    void beginSend();
    void fileSelected(QStringList files);
    void onCommandStart(QVariant info);
    void onCommandFinish(QVariant result);
    void onSeriesEnd(QVariant result);

private:
    // Tells the user what went wrong, if anything.
    void report(int result, const QString& fileName, const QStringList& unread,
                const QStringList& rejected) const;

    QString selectedPath_;
};

} // namespace zel::qmix::gui
