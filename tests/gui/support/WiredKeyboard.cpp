#include "WiredKeyboard.h"

#include "comm/PortChoice.h"

WiredKeyboard::WiredKeyboard(const QString& modelName, const TransferKeyboard::Preparation& prepare,
                             const zel::qmix::emu::FaultPlan& faults)
    : model_(zel::qmix::data::KeyboardInfo::find(modelName)) {
    Q_ASSERT(model_);
    zel::qmix::data::KeyboardInfo::setCurrentModel(model_);
    keyboard_ = std::make_unique<TransferKeyboard>(portName(), model_, faults, prepare);
    communicator_ = std::make_unique<zel::qmix::comm::KeyboardCommunicator>(
        zel::qmix::comm::PortChoice::matching(portName(), portName()));
}

WiredKeyboard::~WiredKeyboard() {
    communicator_.reset();
    keyboard_.reset();
}

QString WiredKeyboard::portName() const {
    return QStringLiteral("Wired %1").arg(model_->modelName().trimmed());
}
