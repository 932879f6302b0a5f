#pragma once

#include "emu/KeyboardFactory.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace zel::qmix::emu {

// The command line of the stand-alone virtual keyboard:
//   toneharbour-keyboard --model NAME [--state DIR] [--name NAME] [fault options]
class KeyboardOptions {
public:
    static QString defaultPortName();

    // False, with `error` set, on anything that cannot be used; the program
    // then ends without opening ports.
    bool parse(const QStringList& arguments, QString* error);

    bool helpRequested() const { return help_; }
    bool modelListRequested() const { return listModels_; }
    QString helpText() const { return helpText_; }
    static QString modelList();

    const KeyboardSetup& setup() const { return setup_; }
    QString portName() const { return portName_; }

private:
    bool readFaults(const QCommandLineParser& parser, QString* error);

    KeyboardSetup setup_;
    QString portName_ = defaultPortName();
    QString helpText_;
    bool help_ = false;
    bool listModels_ = false;
};

} // namespace zel::qmix::emu
