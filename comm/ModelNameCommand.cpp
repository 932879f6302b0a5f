#include "comm/ModelNameCommand.h"

namespace zel::qmix::comm {

ModelNameCommand::ModelNameCommand(midi::DeviceHandler* handler, QObject* parent)
    : SystemParameterCommand(handler, parent)
    , modelName_("") {}

void ModelNameCommand::proceed() {
    if (!checkConnection())
        return;
    const QVector<int> values = requestParameter(NameLength - 1, ModelName, 0);
    // A damaged reply fails the command even when a good one follows; its
    // name is then not trusted.
    if (errorCode() == CommandErrorCode::NoError)
        modelName_ = textOf(values);
    // A failed request has ended the command already.
    if (!isDone())
        fail();
}

QVariant ModelNameCommand::result() const {
    return QVariant(modelName_);
}

bool ModelNameCommand::needsConnection() const {
    return true;
}

} // namespace zel::qmix::comm
