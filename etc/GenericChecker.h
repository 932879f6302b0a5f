#pragma once

#include <QObject>
#include <QVariant>

namespace zel::qmix::etc {

// Asked by a send before it overwrites a keyboard area that holds data.
// check() runs on the communication thread and may block it while a person
// decides; meanwhile waitRequired() is raised again and again so the sender
// can keep the keyboard waiting.
class GenericChecker : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // `subject` names the area (a send result carrying its category and
    // area number). True when the area may be overwritten.
    virtual bool check(QVariant subject) = 0;

signals:
    void waitRequired();
};

} // namespace zel::qmix::etc
