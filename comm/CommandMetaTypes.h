#pragma once

namespace zel::qmix::comm {

// Makes the commands' info and result values known to Qt's meta-type system
// under their full names, so that receivers can recognise them inside the
// QVariant of a queued signal and by name.
class CommandMetaTypes {
public:
    // Safe to call any number of times, from any thread.
    static void registerAll();
};

} // namespace zel::qmix::comm
