#pragma once

#include "comm/IndividualParameterCommand.h"

#include "sysex/IPREncoder.h"
#include "sysex/IPSEncoder.h"

#include <QList>
#include <QString>
#include <QVector>

#include <optional>

namespace zel::qmix::sysex {
class IPSDecoder;
}

namespace zel::qmix::comm {

// Gives commands the keyboard's system parameters (parameter category 0): a
// request that waits for its reply, parameter writes, and the area selection
// and area queries built on them. Everything runs inside proceed() on the
// communication thread.
class SystemParameterCommand : public IndividualParameterCommand {
    Q_OBJECT
public:
    // System parameter ids.
    enum Parameter {
        ModelName = 0,
        SelectCategory = 25,
        SelectMode = 26,
        SelectAreaNumber = 27,
        AreaUsed = 29,
        AreaSize = 31,
        AreaName = 33,
        AreaCount = 35,
        CategoryTotalMemory = 36,
        AreaFreeSpace = 37,
        CategoryFreeMemory = 38,
        ClearArea = 39
    };
    // The mode always written together with a category and an area number.
    static constexpr int AreaMode = 2;
    // Characters of an area name, read in two halves.
    static constexpr int AreaNameLength = 16;

    explicit SystemParameterCommand(midi::DeviceHandler* handler, QObject* parent = nullptr);

protected:
    // Asks for length + 1 values of parameter `id` starting at element
    // `offset`. Empty on failure, in which case the command has already
    // failed with CommunicationError.
    QVector<int> requestParameter(int length, int id, int offset = 0);
    // The same question for a check the command can do without: an unanswered
    // or damaged reply gives nullopt and leaves the command as it was.
    std::optional<QVector<int>> askParameter(int length, int id, int offset = 0);
    // Writes one value; the keyboard does not answer.
    void setParameter(int id, int value);

    void selectCategory(int code);
    void selectMode(int mode);
    void selectAreaNumber(int number);
    void selectArea(int category, int area);

    // The data size of every area of the category; empty when any request fails.
    QList<int> readAreaSizes(int category);
    // The data size of one area; empty on failure.
    QList<int> readAreaSizes(int category, int area);
    // The name of the selected area; "" and ok = false on failure.
    QString readAreaName(bool* ok);
    // Selects the area and reads its name; "" with CommunicationError set on
    // failure.
    QString readSelectedAreaName(int category, int areaNumber);

    // Asks for length + 1 values of a parameter of another parameter
    // category, at element `index0` of its first index. Fails like
    // requestParameter(); the system-parameter requests are unaffected.
    QVector<int> requestIndexedParameter(int category, int id, int index0, int length = 0);

    // False, with the command failed, when no keyboard ports are open.
    bool checkConnection();

    // Parameter values as text, one UTF-16 code unit each, up to the first 0.
    static QString textOf(const QVector<int>& values);

    sysex::IPREncoder requestEncoder;
    sysex::IPSEncoder setEncoder;

private:
    struct Reply {
        QVector<int> values;
        bool answered = false;
        // A reply came back damaged; a good one may still have followed.
        bool damaged = false;
    };
    void prepareRequest(int length, int id, int offset);
    Reply sendAndAwaitReply();
    bool acceptReply(const QByteArray& message, sysex::IPSDecoder& decoder, Reply& reply);
    void failWithCommunicationError();
};

} // namespace zel::qmix::comm
