#pragma once

#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <memory>

namespace Ui {
class CommandProgressIndicator;
}

namespace zel::qmix::gui {

// The strip above the tabs while the keyboard communicator works: the running
// command's title and progress, the commands done out of those registered in
// this batch, and Cancel. It hides itself 500 ms after the last registered
// command finished; its hided() tells the window that a batch is over.
class CommandProgressIndicator : public QWidget {
    Q_OBJECT
public:
    static constexpr int HideDelayMs = 500;

    explicit CommandProgressIndicator(QWidget* parent = nullptr);
    ~CommandProgressIndicator() override;

    int commandCountCurrent() const { return countCurrent_; }
    int commandCountMax() const { return countMax_; }
    QString totalText() const;
    QString currentText() const;
    int progressValue() const;
    int progressMaximum() const;
    bool isCancelEnabled() const;
    bool isTotalProgressShown() const;

signals:
    void cancelRequested();
    void suspendChangeRequested(bool suspended);
    void showed();
    void hided();

public slots:
    void start(QString title);
    void start(QVariant title);
    void startWithoutTotalProgress(QString title);
    void startWithoutTotalProgress(QVariant title);
    void setCommandCount(int current, int max);
    void resetCommandCount();
    void incrementCommandCountMax();
    void incrementCommandCountCurrent();
    void setProgressValue(int value);
    void setProgressValue(int current, int max);
    void hideTotalProgress();
    void showTotalProgress();
    void disableCancelButton();
    void requestCancel();
    void requestCancelWithoutConfirm();
    void hideWithDelay(int delayTime);
    void hideWithDelay();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void begin(const QString& title);

    std::unique_ptr<Ui::CommandProgressIndicator> ui_;
    int countCurrent_ = 0;
    int countMax_ = 0;
    QTimer hideTimer_;
};

} // namespace zel::qmix::gui
