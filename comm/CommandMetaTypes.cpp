#include "comm/CommandMetaTypes.h"

#include "comm/AreaData.h"
#include "comm/AreaDeleteCommandInfo.h"
#include "comm/AreaDeleteCommandResult.h"
#include "comm/BulkReceiveCommandResult.h"
#include "comm/BulkSendCommandInfo.h"
#include "comm/BulkSendCommandResult.h"
#include "comm/CategoryMemoryCommandInfo.h"
#include "comm/CategoryMemoryCommandResult.h"
#include "comm/FileCopyCommandResult.h"

#include <QList>
#include <QMetaType>
#include <QVariant>

#include <mutex>

namespace zel::qmix::comm {

void CommandMetaTypes::registerAll() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        qRegisterMetaType<QVariant>("QVariant");
        qRegisterMetaType<BulkSendCommandInfo>("zel::qmix::comm::BulkSendCommandInfo");
        qRegisterMetaType<BulkSendCommandResult>("zel::qmix::comm::BulkSendCommandResult");
        qRegisterMetaType<BulkReceiveCommandResult>("zel::qmix::comm::BulkReceiveCommandResult");
        qRegisterMetaType<AreaDeleteCommandInfo>("zel::qmix::comm::AreaDeleteCommandInfo");
        qRegisterMetaType<AreaDeleteCommandResult>("zel::qmix::comm::AreaDeleteCommandResult");
        qRegisterMetaType<AreaData>("zel::qmix::comm::AreaData");
        qRegisterMetaType<CategoryMemoryCommandInfo>("zel::qmix::comm::CategoryMemoryCommandInfo");
        qRegisterMetaType<CategoryMemoryCommandResult>(
            "zel::qmix::comm::CategoryMemoryCommandResult");
        qRegisterMetaType<FileCopyCommandResult>("zel::qmix::comm::FileCopyCommandResult");
        // The data-sizes query answers with this list; its slot signatures
        // name it so.
        qRegisterMetaType<QList<unsigned>>("QList<unsigned>");
    });
}

} // namespace zel::qmix::comm
