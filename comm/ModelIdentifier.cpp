#include "comm/ModelIdentifier.h"

#include "comm/KeyboardCommunicator.h"
#include "data/KeyboardInfo.h"
#include "etc/Settings.h"

namespace zel::qmix::comm {

ModelIdentifier::ModelIdentifier(KeyboardCommunicator& communicator, etc::Settings* settings)
    : communicator_(communicator)
    , settings_(settings) {}

data::KeyboardInfo* ModelIdentifier::identify(Reconnect reconnect) {
    reportedName_.clear();
    const bool connected =
        reconnect == Reconnect::First ? communicator_.reconnect() : communicator_.isConnected();
    if (connected)
        reportedName_ = communicator_.modelName().trimmed();
    data::KeyboardInfo* model =
        reportedName_.isEmpty() ? nullptr : data::KeyboardInfo::find(reportedName_);
    if (!model) {
        communicator_.disconnectKeyboard();
        return nullptr;
    }
    return adopt(model);
}

data::KeyboardInfo* ModelIdentifier::adopt(data::KeyboardInfo* model) {
    data::KeyboardInfo::setCurrentModel(model);
    if (settings_) {
        settings_->setLastConnectedModel(reportedName_);
        settings_->save();
    }
    return model;
}

} // namespace zel::qmix::comm
