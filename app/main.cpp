// The desktop program: one window, one running copy.
#include "app/MainWindow.h"
#include "app/MessageDialog.h"
#include "app/TabScreenshots.h"
#include "app/WindowOptions.h"
#include "emu/KeyboardWireEndpoint.h"
#include "etc/MultipleRunDetector.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>
#include <QTabWidget>

#include <cstdio>
#include <memory>

using namespace zel::qmix;

namespace {

constexpr int AlreadyRunningStatus = -1;
// The "Already Running" box.
constexpr int AlreadyRunningMessage = 5;

int printAndExit(const QString& text, int status) {
    std::fputs(qPrintable(text), status == 0 ? stdout : stderr);
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("toneharbour"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/appicon.png")));

    gui::WindowOptions options;
    switch (options.parse(QApplication::arguments())) {
    case gui::WindowOptions::Outcome::ExitOk:
        return printAndExit(options.message(), 0);
    case gui::WindowOptions::Outcome::ExitUsage:
        return printAndExit(options.message(), 2);
    case gui::WindowOptions::Outcome::Run:
        break;
    }

    qRegisterMetaType<QVariant>("QVariant");
    const std::shared_ptr<gui::MessageDialog> dialog = gui::MessageDialog::create();

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
            return printAndExit(error + QLatin1Char('\n'), 2);
        options.useEmulatedPorts(emulated->name());
    }

    auto window = std::make_unique<gui::MainWindow>(options.ports());
    window->show();
    std::unique_ptr<gui::TabScreenshots> screenshots;
    if (!options.screenshotFolder().isEmpty()) {
        screenshots = std::make_unique<gui::TabScreenshots>(
            window.get(), window->findChild<QTabWidget*>(QStringLiteral("tabWidgetMain")),
            options.screenshotFolder());
        screenshots->start();
    }
    const int status = QApplication::exec();
    screenshots.reset();
    window.reset();
    detector.reset();
    return status;
}
