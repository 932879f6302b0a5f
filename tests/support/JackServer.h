#pragma once

#include <QProcess>
#include <QString>

namespace zel::qmix::testsupport {

// A private JACK server with the dummy backend, in synchronous mode so that
// no message is lost. Once started, every JACK client of this process and of
// the processes it starts uses it (JACK_DEFAULT_SERVER); it never starts a
// server of its own (JACK_NO_START_SERVER). The server stops with the object,
// and also when the process that started it dies.
class JackServer {
public:
    // The server is named `prefix` followed by this process's id.
    explicit JackServer(const QString& prefix);
    ~JackServer();

    static bool isInstalled();
    // Starts the server and waits until clients can connect; false, with
    // `error` set, when it does not come up.
    bool start(QString* error);
    void stop();
    QString name() const { return name_; }

private:
    bool answers() const;

    QString name_;
    QProcess server_;
};

} // namespace zel::qmix::testsupport
