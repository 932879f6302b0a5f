#pragma once

#include "comm/AbstractCommand.h"

namespace zel::qmix::comm {

// Base of every command that talks SysEx with the keyboard.
class IndividualParameterCommand : public AbstractCommand {
    Q_OBJECT
public:
    using AbstractCommand::AbstractCommand;

    bool needsConnection() const override;
};

} // namespace zel::qmix::comm
