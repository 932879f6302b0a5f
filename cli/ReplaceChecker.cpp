#include "cli/ReplaceChecker.h"

#include "cli/AreaArgument.h"
#include "comm/BulkSendCommandResult.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "etc/MessageTexts.h"

namespace zel::qmix::cli {

ReplaceChecker::ReplaceChecker(TerminalQuestion::Mode mode, QObject* parent)
    : GenericChecker(parent)
    , mode_(mode) {}

bool ReplaceChecker::check(QVariant subject) {
    // Anything but a send naming its area is no permission to overwrite.
    if (subject.metaType() != QMetaType::fromType<comm::BulkSendCommandResult>()) {
        declined_.store(true);
        return false;
    }
    const auto area = subject.value<comm::BulkSendCommandResult>();
    const data::DataCategory* category = data::categoryFromId(area.category, area.areaNumber);
    if (!category) {
        declined_.store(true);
        return false;
    }
    const int shown =
        AreaArgument::shownNumberOf(category, area.areaNumber, data::KeyboardInfo::currentModel());

    TerminalQuestion question(mode_);
    question.setWaitCallback([this] { emit waitRequired(); });
    const bool agreed =
        question.ask(etc::MessageTexts::replaceQuestion(AreaArgument::name(category, shown)));
    if (!agreed)
        declined_.store(true);
    return agreed;
}

} // namespace zel::qmix::cli
