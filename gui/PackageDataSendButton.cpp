#include "gui/PackageDataSendButton.h"

#include "app/MessageDialog.h"
#include "comm/BulkSendCommandInfo.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CommandConnections.h"
#include "comm/CommandReplies.h"
#include "comm/KeyboardCommunicator.h"
#include "comm/PackageSender.h"
#include "data/KeyboardInfo.h"
#include "data/SequencerDataCategory.h"
#include "etc/MessageTexts.h"

#include <QApplication>
#include <QFileInfo>

namespace zel::qmix::gui {

namespace {

// Shows the wait cursor while the keyboard is asked about the package.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

PackageDataSendButton::PackageDataSendButton(QWidget* parent)
    : AbstractCommandButton(parent) {
    setText(tr("Send Package"));
    setAccessibleName(tr("Send Package"));
    // Nothing is selected yet.
    setEnabled(false);
    connect(this, &QToolButton::clicked, this, qOverload<>(&PackageDataSendButton::beginSend));
}

void PackageDataSendButton::setCommandControlSource(const comm::CommandControlSource& source) {
    source.connectCancel(this, [this] { emit cancelRequested(); });
    source.connectSuspend(this, [this](bool suspended) { emit suspendChangeRequested(suspended); });
    AbstractCommandButton::setCommandControlSource(
        comm::CommandControlSource::of(this, &PackageDataSendButton::cancelRequested,
                                       &PackageDataSendButton::suspendChangeRequested));
}

void PackageDataSendButton::fileSelected(QStringList files) {
    const bool one = files.size() == 1;
    selectedPath_ = one ? QFileInfo(files.constFirst()).absoluteFilePath() : QString();
    setEnabled(one);
}

void PackageDataSendButton::beginSend() {
    const QFileInfo selected(selectedPath_);
    if (!selectedPath_.isEmpty() && selected.isFile())
        beginSend(selected.absoluteFilePath());
}

void PackageDataSendButton::beginSend(QString path) {
    const QString fileName = QFileInfo(path).fileName();
    comm::PackageSender sender(communicator());
    comm::CommandConnections connections;
    connections.replies = comm::CommandReplies::to(this)
                              .started(&PackageDataSendButton::onCommandStart)
                              .finished(&PackageDataSendButton::onCommandFinish)
                              .progress(&PackageDataSendButton::commandProgress)
                              .cancelDisable(&PackageDataSendButton::commandCancelDisableRequired);
    connections.controls = commandControlSource();
    sender.setConnections(connections);
    connect(&sender, &comm::PackageSender::newCommandRegistered, this,
            &PackageDataSendButton::newCommandRegistered);

    int result = comm::PackageSender::Success;
    {
        // The check asks the keyboard and waits for its answers.
        const WaitCursor waiting;
        result = sender.checkFile(path);
    }
    if (result == comm::PackageSender::Success) {
        if (!MessageDialog::confirmSendPackage(fileName))
            return;
        // Checked again: the file may have changed while the question was open.
        result = sender.sendFile(path);
    }
    report(result, fileName, sender.unreadElements(), sender.rejectedElements());
}

void PackageDataSendButton::report(int result, const QString& fileName, const QStringList& unread,
                                   const QStringList& rejected) const {
    if (result != comm::PackageSender::Success) {
        const comm::PackageSender::ResultMessage message = comm::PackageSender::messageFor(result);
        MessageDialog::request(message.type, message.namesFile ? QVariant(fileName) : QVariant());
        return;
    }
    for (const QString& element : unread)
        MessageDialog::request(etc::MessageTexts::FileReadError, element);
    for (const QString& element : rejected)
        MessageDialog::request(etc::MessageTexts::FileFormatError, element);
}

void PackageDataSendButton::onCommandStart(QVariant info) {
    const auto started = info.value<comm::BulkSendCommandInfo>();
    emit commandStarted(started.name);
    // Once a song is stored the keyboard follows it up; that must not be cut short.
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    if (started.category == data::SequencerDataCategory::instance()->id() && model &&
        !model->skipsSongFollowUp())
        emit commandCancelDisableRequired();
}

void PackageDataSendButton::onCommandFinish(QVariant result) {
    const auto finished = result.canConvert<comm::BulkSendCommandResult>()
                              ? result.value<comm::BulkSendCommandResult>()
                              : comm::BulkSendCommandResult();
    const data::KeyboardInfo* model = data::KeyboardInfo::currentModel();
    const bool secondGeneration = model && model->isSecondGeneration();
    comm::KeyboardCommunicator* link = communicator();
    if (finished.errorCode == comm::CommandErrorCode::NoError) {
        if (secondGeneration && link)
            link->registerMultipleBulkSendEndCommand(
                finished.category, finished.areaNumber,
                comm::CommandReplies::to(this).finished(&PackageDataSendButton::onSeriesEnd));
    } else {
        if (secondGeneration && link)
            link->registerRejectCommand(finished.category, finished.areaNumber);
        if (finished.errorCode != comm::CommandErrorCode::Canceled) {
            MessageDialog::requestCommandError(comm::CommandErrorCode::T(finished.errorCode));
            emit cancelRequested();
        }
    }
    emit commandFinished(result);
}

// The closing command reads back what the series stored: an area that did
// not arrive whole is reported as the failed send it was.
void PackageDataSendButton::onSeriesEnd(QVariant result) {
    MessageDialog::requestSendError(result.value<comm::BulkSendCommandResult>());
}

} // namespace zel::qmix::gui
