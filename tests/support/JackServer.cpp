#include "tests/support/JackServer.h"

#include "midi/MidiApi.h"
#include "midi/RtMidiBackend.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <chrono>
#include <thread>

#include <signal.h>
#include <sys/prctl.h>

namespace zel::qmix::testsupport {

namespace {

constexpr int kStartWaitSeconds = 60;

QString jackd() {
    return QStandardPaths::findExecutable(QStringLiteral("jackd"));
}

} // namespace

JackServer::JackServer(const QString& prefix)
    : name_(QStringLiteral("%1-%2").arg(prefix).arg(QCoreApplication::applicationPid())) {}

JackServer::~JackServer() {
    stop();
}

bool JackServer::isInstalled() {
    return !jackd().isEmpty();
}

bool JackServer::start(QString* error) {
    if (!isInstalled()) {
        *error = QStringLiteral("jackd is not installed (package jackd2)");
        return false;
    }
    qputenv("JACK_DEFAULT_SERVER", name_.toUtf8());
    qputenv("JACK_NO_START_SERVER", "1");
    qputenv("JACK_NO_AUDIO_RESERVATION", "1");
    server_.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    server_.setStandardOutputFile(QProcess::nullDevice());
    server_.setStandardErrorFile(QProcess::nullDevice());
    // A server left behind by a crashed test counts against the few JACK
    // allows at once.
    server_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    server_.start(jackd(),
                  {QStringLiteral("--no-realtime"), QStringLiteral("-S"), QStringLiteral("-n"),
                   name_, QStringLiteral("-d"), QStringLiteral("dummy"), QStringLiteral("-r"),
                   QStringLiteral("48000"), QStringLiteral("-p"), QStringLiteral("64")});
    if (!server_.waitForStarted(30000) || !answers()) {
        *error = QStringLiteral("the JACK server %1 did not come up").arg(name_);
        stop();
        return false;
    }
    return true;
}

bool JackServer::answers() const {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(kStartWaitSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (midi::RtMidiBackend::isRunning(midi::MidiApi::Jack))
            return true;
        if (server_.state() == QProcess::NotRunning)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void JackServer::stop() {
    if (server_.state() == QProcess::NotRunning)
        return;
    server_.terminate();
    if (!server_.waitForFinished(20000)) {
        server_.kill();
        server_.waitForFinished(20000);
    }
}

} // namespace zel::qmix::testsupport
