#pragma once

#include <QStringList>

namespace zel::qmix::gui {

// The desktop program from its command line to the end of its event loop:
// one running copy, one window. Needs the application object.
class DesktopProgram {
public:
    static constexpr int AlreadyRunningStatus = -1;
    static constexpr int UsageStatus = 2;

    // The process's exit status.
    int run(const QStringList& arguments);
};

} // namespace zel::qmix::gui
