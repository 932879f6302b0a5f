#pragma once

#include "gui/AbstractCommandButton.h"

#include <QStringList>

namespace zel::qmix::gui {

// Writes a backup file back into the keyboard, after checking that it was
// made on this model and asking the user.
class AllDataSendButton : public AbstractCommandButton {
    Q_OBJECT
public:
    explicit AllDataSendButton(QWidget* parent = nullptr);

    QString sendFilePath() const { return sendFilePath_; }

public slots:
    // Enabled only for exactly one selected backup.
    void setSendFilePath(QStringList paths);
    void beginAllDataSend(QString path);
    void beginAllDataSend();
    void onFinishAllDataSend(QVariant result);

private:
    QString sendFilePath_;
};

} // namespace zel::qmix::gui
