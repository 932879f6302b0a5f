#pragma once

#include <QProcess>
#include <QString>

namespace zel::qmix::bench {

// A private JACK server with the dummy backend, in synchronous mode so that
// no message is lost. Clients of this process use it once it is started
// (JACK_DEFAULT_SERVER is set); it stops with the object.
class JackServer {
public:
    JackServer();
    ~JackServer();

    // False, with errorText() set, when jackd is missing or does not come up.
    bool start();
    QString errorText() const { return error_; }
    QString name() const { return name_; }

private:
    QString name_;
    QString error_;
    QProcess server_;
};

} // namespace zel::qmix::bench
