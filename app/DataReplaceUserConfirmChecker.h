#pragma once

#include "etc/GenericChecker.h"

#include <QMessageBox>
#include <QMutex>

namespace zel::qmix::gui {

// Asks the user before a send overwrites a keyboard area that holds data:
// "Replace <area>,\nSure?" with Yes, Yes to All, No and No to All. A "to All"
// answer holds for the rest of the batch, until clearLastSelected().
// check() runs on the communication thread and waits there for the answer
// given in the GUI thread.
class DataReplaceUserConfirmChecker : public etc::GenericChecker {
    Q_OBJECT
public:
    explicit DataReplaceUserConfirmChecker(QObject* parent = nullptr);

    bool check(QVariant subject) override;

public slots:
    void clearLastSelected();

private:
    QMessageBox::StandardButton ask(const QString& areaName);

    QMutex mutex_;
    QMessageBox::StandardButton lastSelected_ = QMessageBox::NoButton;
    // Counts clearLastSelected() calls, so an answer knows its batch.
    int batch_ = 0;
};

} // namespace zel::qmix::gui
