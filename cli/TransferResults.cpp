#include "cli/TransferResults.h"

#include "comm/AreaDeleteCommandResult.h"
#include "comm/CommandErrorCode.h"

namespace zel::qmix::cli {

comm::BulkReceiveCommandResult TransferResults::receiveResult(const QVariant& result) {
    if (result.metaType() == QMetaType::fromType<comm::BulkReceiveCommandResult>())
        return result.value<comm::BulkReceiveCommandResult>();
    comm::BulkReceiveCommandResult failure;
    failure.errorCode = comm::CommandErrorCode::CommunicationError;
    return failure;
}

comm::BulkSendCommandResult TransferResults::sendResult(const QVariant& result) {
    if (result.metaType() == QMetaType::fromType<comm::BulkSendCommandResult>())
        return result.value<comm::BulkSendCommandResult>();
    comm::BulkSendCommandResult converted;
    if (result.metaType() == QMetaType::fromType<comm::AreaDeleteCommandResult>()) {
        const auto deleted = result.value<comm::AreaDeleteCommandResult>();
        converted.errorCode = deleted.errorCode;
        converted.category = deleted.category;
        converted.areaNumber = deleted.areaNumber;
        return converted;
    }
    converted.errorCode = comm::CommandErrorCode::CommunicationError;
    return converted;
}

} // namespace zel::qmix::cli
