#include "cli/CommandLine.h"
#include "data/KeyboardInfo.h"
#include "etc/Settings.h"

#include <QCoreApplication>

using namespace zel::qmix;

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));

    // As the desktop program does: the model of the keyboard connected last
    // stays the current model until another keyboard is identified.
    if (data::KeyboardInfo* model =
            data::KeyboardInfo::find(etc::Settings::instance()->lastConnectedModel()))
        data::KeyboardInfo::setCurrentModel(model);

    return cli::CommandLine().run(QCoreApplication::arguments().mid(1));
}
