#include "app/CommandProgressIndicator.h"

#include "app/MessageDialog.h"
#include "ui_CommandProgressIndicator.h"

#include <QHideEvent>
#include <QRegularExpression>
#include <QShowEvent>
#include <QStyle>
#include <QStyleFactory>

namespace zel::qmix::gui {

namespace {

const char* const BarStyle = "Fusion";

QString titleFormat(const QString& title) {
    // The bar replaces %p, %v and %m anywhere in its format, and has no escape
    // for them: a zero-width space keeps a file name such as "100%p.AC7" as it is.
    static const QRegularExpression placeholder(QStringLiteral("%(?=[pvm])"));
    QString shown = title;
    shown.replace(placeholder, QStringLiteral("%\u200B"));
    return shown + QStringLiteral("    (%p%)");
}

} // namespace

CommandProgressIndicator::CommandProgressIndicator(QWidget* parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::CommandProgressIndicator>()) {
    ui_->setupUi(this);
    // A widget does not own the style it is given.
    QStyle* barStyle = QStyleFactory::create(QString::fromLatin1(BarStyle));
    barStyle->setParent(this);
    for (QProgressBar* bar : {ui_->progressBarTotal, ui_->progressBarCurrent})
        bar->setStyle(barStyle);
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &QWidget::hide);
    connect(this, &CommandProgressIndicator::hided, this,
            &CommandProgressIndicator::resetCommandCount);
    connect(ui_->cancelPushButton, &QPushButton::clicked, this,
            &CommandProgressIndicator::requestCancel);
    setCommandCount(0, 0);
}

CommandProgressIndicator::~CommandProgressIndicator() = default;

QString CommandProgressIndicator::totalText() const {
    // The bar shows no text while its range is empty; its format is the text.
    return ui_->progressBarTotal->format();
}

QString CommandProgressIndicator::currentText() const {
    return ui_->progressBarCurrent->text();
}

int CommandProgressIndicator::progressValue() const {
    return ui_->progressBarCurrent->value();
}

int CommandProgressIndicator::progressMaximum() const {
    return ui_->progressBarCurrent->maximum();
}

bool CommandProgressIndicator::isCancelEnabled() const {
    return ui_->cancelPushButton->isEnabled();
}

bool CommandProgressIndicator::isTotalProgressShown() const {
    return !ui_->progressBarTotal->isHidden();
}

void CommandProgressIndicator::start(QString title) {
    ui_->cancelPushButton->setEnabled(true);
    showTotalProgress();
    begin(title);
}

void CommandProgressIndicator::start(QVariant title) {
    start(title.toString());
}

void CommandProgressIndicator::startWithoutTotalProgress(QString title) {
    ui_->cancelPushButton->setEnabled(true);
    hideTotalProgress();
    begin(title);
}

void CommandProgressIndicator::startWithoutTotalProgress(QVariant title) {
    startWithoutTotalProgress(title.toString());
}

void CommandProgressIndicator::begin(const QString& title) {
    hideTimer_.stop();
    ui_->progressBarCurrent->setFormat(titleFormat(title));
    ui_->progressBarCurrent->setValue(0);
    setVisible(true);
}

void CommandProgressIndicator::setCommandCount(int current, int max) {
    countCurrent_ = current;
    countMax_ = max;
    QProgressBar* bar = ui_->progressBarTotal;
    bar->setMaximum(max);
    bar->setValue(qMin(current, max));
    bar->setFormat(QStringLiteral("%1/%2").arg(current).arg(max));
    if (current >= max)
        hideTimer_.start(HideDelayMs);
}

void CommandProgressIndicator::resetCommandCount() {
    setCommandCount(0, 0);
    // Nothing is pending any more: the strip is already hidden.
    hideTimer_.stop();
}

void CommandProgressIndicator::incrementCommandCountMax() {
    setCommandCount(countCurrent_, countMax_ + 1);
}

void CommandProgressIndicator::incrementCommandCountCurrent() {
    setCommandCount(countCurrent_ + 1, countMax_);
}

void CommandProgressIndicator::setProgressValue(int value) {
    QProgressBar* bar = ui_->progressBarCurrent;
    bar->setValue(qBound(bar->minimum(), value, bar->maximum()));
}

void CommandProgressIndicator::setProgressValue(int current, int max) {
    const int maximum = ui_->progressBarCurrent->maximum();
    int value = 0;
    if (current < 0 || max < 1)
        value = 0;
    else if (current >= max)
        value = maximum;
    else
        value = int(static_cast<long double>(current) * maximum / max);
    setProgressValue(value);
}

void CommandProgressIndicator::hideTotalProgress() {
    ui_->progressBarTotal->hide();
    ui_->spacer->changeSize(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout()->invalidate();
}

void CommandProgressIndicator::showTotalProgress() {
    ui_->progressBarTotal->show();
    ui_->spacer->changeSize(10, 10, QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout()->invalidate();
}

void CommandProgressIndicator::disableCancelButton() {
    ui_->cancelPushButton->setEnabled(false);
}

void CommandProgressIndicator::requestCancel() {
    emit suspendChangeRequested(true);
    if (MessageDialog::confirmCancel(this, &CommandProgressIndicator::hided))
        emit cancelRequested();
    emit suspendChangeRequested(false);
}

void CommandProgressIndicator::requestCancelWithoutConfirm() {
    emit cancelRequested();
}

void CommandProgressIndicator::hideWithDelay(int delayTime) {
    hideTimer_.start(delayTime);
}

void CommandProgressIndicator::hideWithDelay() {
    hideWithDelay(HideDelayMs);
}

void CommandProgressIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->isAccepted())
        emit showed();
}

void CommandProgressIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Only hiding the strip itself ends a batch: not minimising the window
    // (a spontaneous hide), nor closing it (the strip stays shown within it).
    if (event->isAccepted() && !event->spontaneous() && isHidden())
        emit hided();
}

void CommandProgressIndicator::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        ui_->retranslateUi(this);
    QWidget::changeEvent(event);
}

} // namespace zel::qmix::gui
