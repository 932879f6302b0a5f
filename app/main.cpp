// The desktop program: one window, one running copy.
#include "app/DesktopProgram.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("toneharbour"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/appicon.png")));
    return zel::qmix::gui::DesktopProgram().run(QApplication::arguments());
}
