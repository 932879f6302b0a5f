#include "app/DesktopProgram.h"

#include "app/MainWindow.h"
#include "app/MessageDialog.h"
#include "app/TabScreenshots.h"
#include "app/WindowOptions.h"
#include "emu/KeyboardWireEndpoint.h"
#include "etc/MultipleRunDetector.h"

#include <QApplication>
#include <QTabWidget>

#include <cstdio>
#include <memory>

namespace zel::qmix::gui {

namespace {

// The "Already Running" box.
constexpr int AlreadyRunningMessage = 5;

int printAndExit(const QString& text, int status) {
    std::fputs(qPrintable(text), status == 0 ? stdout : stderr);
    return status;
}

} // namespace

int DesktopProgram::run(const QStringList& arguments) {
    WindowOptions options;
    switch (options.parse(arguments)) {
    case WindowOptions::Outcome::ExitOk:
        return printAndExit(options.message(), 0);
    case WindowOptions::Outcome::ExitUsage:
        return printAndExit(options.message(), UsageStatus);
    case WindowOptions::Outcome::Run:
        break;
    }

    qRegisterMetaType<QVariant>("QVariant");
    const std::shared_ptr<MessageDialog> dialog = MessageDialog::create();

    auto detector = std::make_unique<etc::MultipleRunDetector>();
    if (detector->alreadyRunning()) {
        dialog->show(AlreadyRunningMessage);
        return AlreadyRunningStatus;
    }

    // The built-in keyboard outlives the window, whose ports lead to it.
    std::unique_ptr<emu::KeyboardWireEndpoint> emulated;
    if (!options.emulatedModel().isEmpty()) {
        QString error;
        emulated = emu::KeyboardWireEndpoint::emulate(options.emulationArguments(), &error);
        if (!emulated)
            return printAndExit(error + QLatin1Char('\n'), UsageStatus);
        options.useEmulatedPorts(emulated->name());
    }

    auto window = std::make_unique<MainWindow>(options.ports());
    window->show();
    std::unique_ptr<TabScreenshots> screenshots;
    if (!options.screenshotFolder().isEmpty()) {
        screenshots = std::make_unique<TabScreenshots>(
            window.get(), window->findChild<QTabWidget*>(QStringLiteral("tabWidgetMain")),
            options.screenshotFolder());
        screenshots->start();
    }
    const int status = QApplication::exec();
    screenshots.reset();
    // The window stores its size as it goes; the lock is released last.
    window.reset();
    detector.reset();
    return status;
}

} // namespace zel::qmix::gui
