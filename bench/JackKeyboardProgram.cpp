#include "JackKeyboardProgram.h"

#include "BenchEvents.h"

JackKeyboardProgram::JackKeyboardProgram(const QString& serverPrefix, const QString& keyboardPath)
    : server_(serverPrefix)
    , keyboardPath_(keyboardPath) {}

JackKeyboardProgram::~JackKeyboardProgram() {
    keyboard_.terminate();
    keyboard_.waitForFinished(5000);
}

bool JackKeyboardProgram::start(const QString& modelName, QString* error) {
    if (!server_.start(error))
        return false;
    keyboard_.start(keyboardPath_, {QStringLiteral("--model"), modelName});
    if (!BenchEvents::waitFor([&] { return keyboard_.canReadLine(); }, 20000) ||
        keyboard_.readLine().trimmed() != "READY") {
        *error = QStringLiteral("the virtual keyboard did not get ready");
        return false;
    }
    return true;
}
