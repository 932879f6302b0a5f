#pragma once

#include "gui/AbstractCommandButton.h"

namespace zel::qmix::gui {

// Copies the whole keyboard into one backup file in the main data folder,
// named after the model and the day, under a name no other file has.
class AllDataReceiveButton : public AbstractCommandButton {
    Q_OBJECT
public:
    explicit AllDataReceiveButton(QWidget* parent = nullptr);

public slots:
    void beginAllDataReceive();
    void onFinishAllDataReceive(QVariant result);

private:
    void saveBackup(const QByteArray& bytes);
};

} // namespace zel::qmix::gui
