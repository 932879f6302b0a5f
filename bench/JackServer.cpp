#include "bench/JackServer.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace zel::qmix::bench {

JackServer::JackServer()
    : name_(QStringLiteral("toneharbour-bench-%1").arg(QCoreApplication::applicationPid())) {}

JackServer::~JackServer() {
    if (server_.state() == QProcess::NotRunning)
        return;
    server_.terminate();
    if (!server_.waitForFinished(5000)) {
        server_.kill();
        server_.waitForFinished(5000);
    }
}

bool JackServer::start() {
    const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
    const QString jackWait = QStandardPaths::findExecutable(QStringLiteral("jack_wait"));
    if (jackd.isEmpty() || jackWait.isEmpty()) {
        error_ = QStringLiteral("jackd is not installed (package jackd2)");
        return false;
    }
    qputenv("JACK_DEFAULT_SERVER", name_.toLocal8Bit());
    qputenv("JACK_NO_AUDIO_RESERVATION", "1");
    qputenv("JACK_NO_START_SERVER", "1");
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.start(jackd,
                  {QStringLiteral("--no-realtime"), QStringLiteral("-S"), QStringLiteral("-n"),
                   name_, QStringLiteral("-d"), QStringLiteral("dummy"), QStringLiteral("-r"),
                   QStringLiteral("48000"), QStringLiteral("-p"), QStringLiteral("64")});
    if (!server_.waitForStarted(5000)) {
        error_ = QStringLiteral("jackd did not start");
        return false;
    }
    QProcess wait;
    wait.start(jackWait, {QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("20")});
    if (!wait.waitForFinished(30000) || wait.exitCode() != 0) {
        error_ = QStringLiteral("the JACK server did not come up: %1")
                     .arg(QString::fromLocal8Bit(server_.readAll()));
        return false;
    }
    return true;
}

} // namespace zel::qmix::bench
