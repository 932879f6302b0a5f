#pragma once

#include <QString>

namespace zel::qmix::data {
class KeyboardInfo;
}

namespace zel::qmix::etc {
class Settings;
}

namespace zel::qmix::comm {

class KeyboardCommunicator;

// Finds out which keyboard model is connected, as every front end does after
// connecting: ask the model name and look it up among the supported models.
// A known model becomes the current one and is remembered as the last
// connected model; anything else releases the ports.
class ModelIdentifier {
public:
    enum class Reconnect { First, Skip };

    // `settings` may be null when nothing is to be remembered.
    ModelIdentifier(KeyboardCommunicator& communicator, etc::Settings* settings);

    // The connected model, or null when none is connected or the name is
    // unknown. Reconnect::Skip trusts the connection the communicator holds
    // (right after its construction, for instance).
    data::KeyboardInfo* identify(Reconnect reconnect = Reconnect::First);

    // The name the keyboard reported in the last identify(), trimmed.
    QString reportedName() const { return reportedName_; }

private:
    data::KeyboardInfo* adopt(data::KeyboardInfo* model);

    KeyboardCommunicator& communicator_;
    etc::Settings* settings_;
    QString reportedName_;
};

} // namespace zel::qmix::comm
