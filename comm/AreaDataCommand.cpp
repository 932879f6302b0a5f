#include "comm/AreaDataCommand.h"

namespace zel::qmix::comm {

AreaDataCommand::AreaDataCommand(midi::DeviceHandler* handler, int category, int areaNumber,
                                 QObject* parent)
    : SystemParameterCommand(handler, parent)
    , category_(category)
    , areaNumber_(areaNumber) {}

void AreaDataCommand::proceed() {
    if (!checkConnection())
        return;
    finish(readArea());
}

QVariant AreaDataCommand::result() const {
    return QVariant::fromValue(AreaData{failed_, category_, areaNumber_, used_, name_, size_});
}

bool AreaDataCommand::readArea() {
    selectMode(AreaMode);
    selectCategory(category_);
    selectAreaNumber(areaNumber_);
    const QVector<int> used = requestParameter(0, AreaUsed);
    if (used.size() != 1)
        return false;
    used_ = used.first() != 0;
    if (!used_)
        return true;
    bool named = false;
    name_ = readAreaName(&named);
    if (!named)
        return false;
    const QVector<int> size = requestParameter(0, AreaSize);
    if (size.size() != 1)
        return false;
    size_ = size.first();
    return true;
}

void AreaDataCommand::finish(bool read) {
    // An answer with the wrong number of values is as useless as none.
    if (!read && errorCode() == CommandErrorCode::NoError)
        setErrorCode(CommandErrorCode::CommunicationError);
    // A damaged reply fails the command even when a good one followed; the
    // view must then retry rather than trust what it was told.
    failed_ = errorCode() == CommandErrorCode::NoError ? 0 : 1;
    if (!isDone())
        fail();
}

} // namespace zel::qmix::comm
