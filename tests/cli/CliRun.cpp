#include "CliRun.h"

#include <QCoreApplication>
#include <QProcess>

CliRun CliRun::run(const QStringList& arguments, const QProcessEnvironment& environment,
                   int timeoutMs) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(TH_CLI_PATH), arguments);
    CliRun result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.exitCode = -1;
    } else {
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    // In sanitizer builds a report must fail the test, whatever status the
    // program ended with.
    if (result.err.contains(QLatin1String("Sanitizer")) ||
        result.err.contains(QLatin1String("runtime error:")))
        result.exitCode = -3;
    return result;
}

QProcessEnvironment CliRun::defaultEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("JACK_DEFAULT_SERVER"),
        QStringLiteral("toneharbour-no-server-%1").arg(QCoreApplication::applicationPid()));
    environment.insert(QStringLiteral("JACK_NO_START_SERVER"), QStringLiteral("1"));
    return environment;
}

QString CliRun::line() const {
    QString text = out;
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

QByteArray CliRun::describe() const {
    return QStringLiteral("exit %1\nstdout: %2\nstderr: %3").arg(exitCode).arg(out, err).toUtf8();
}
