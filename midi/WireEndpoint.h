#pragma once

#include <QByteArray>
#include <QString>

namespace zel::qmix::midi {

class WireInDevice;

// The far end of an in-process port pair, as the device on the other side of
// a cable would see it.
class WireEndpoint {
public:
    explicit WireEndpoint(const QString& name);
    virtual ~WireEndpoint();

    QString name() const { return name_; }

    // Every message the program sends out of its output port on this pair;
    // called on the sending thread.
    virtual void receiveFromProgram(const QByteArray& message) = 0;

    // Delivers a message to the program's input port of this pair; dropped
    // while that port is closed, as on a real cable.
    void sendToProgram(const QByteArray& message);

private:
    friend class WireInDevice;
    void setInput(WireInDevice* input);

    QString name_;
    WireInDevice* input_ = nullptr;
};

} // namespace zel::qmix::midi
