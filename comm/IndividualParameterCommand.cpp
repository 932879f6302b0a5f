#include "comm/IndividualParameterCommand.h"

namespace zel::qmix::comm {

bool IndividualParameterCommand::needsConnection() const {
    return true;
}

} // namespace zel::qmix::comm
