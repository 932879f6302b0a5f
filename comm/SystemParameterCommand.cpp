#include "comm/SystemParameterCommand.h"

#include "midi/DeviceHandler.h"
#include "sysex/IPSDecoder.h"
#include "sysex/msg_error.h"

#include <QElapsedTimer>

#include <algorithm>

namespace zel::qmix::comm {

namespace {

// A reply wait never sits in one call for longer than this, so that a
// disconnect made meanwhile is noticed and the port lock is released often.
constexpr int ReplyWaitSliceMs = 50;

constexpr int SystemCategory = 0;

} // namespace

SystemParameterCommand::SystemParameterCommand(midi::DeviceHandler* handler, QObject* parent)
    : IndividualParameterCommand(handler, parent)
    , requestEncoder(SystemCategory, 0)
    , setEncoder(SystemCategory, 0) {
    setEncoder.setAddressNumber(0);
    setEncoder.setId(0);
    setEncoder.setOffset(0);
    setEncoder.setIndexes(QVector<int>(4, 0));
    setEncoder.setValues({});
}

QVector<int> SystemParameterCommand::requestParameter(int length, int id, int offset) {
    prepareRequest(length, id, offset);
    const Reply reply = sendAndAwaitReply();
    if (!reply.answered || reply.damaged)
        failWithCommunicationError();
    return reply.values;
}

std::optional<QVector<int>> SystemParameterCommand::askParameter(int length, int id, int offset) {
    prepareRequest(length, id, offset);
    const Reply reply = sendAndAwaitReply();
    if (!reply.answered)
        return std::nullopt;
    return reply.values;
}

void SystemParameterCommand::prepareRequest(int length, int id, int offset) {
    requestEncoder.setLength(length);
    requestEncoder.setId(id);
    requestEncoder.setOffset(offset);
}

void SystemParameterCommand::setParameter(int id, int value) {
    setEncoder.setId(id);
    setEncoder.setValues({value});
    QByteArray message;
    setEncoder.encode(message);
    if (midi::DeviceHandler* handler = deviceHandler())
        handler->send(message);
}

void SystemParameterCommand::selectCategory(int code) {
    setParameter(SelectCategory, code);
}

void SystemParameterCommand::selectMode(int mode) {
    setParameter(SelectMode, mode);
}

void SystemParameterCommand::selectAreaNumber(int number) {
    setParameter(SelectAreaNumber, number);
}

void SystemParameterCommand::selectArea(int category, int area) {
    selectCategory(category);
    selectMode(AreaMode);
    selectAreaNumber(area);
}

QList<int> SystemParameterCommand::readAreaSizes(int category) {
    selectCategory(category);
    selectMode(AreaMode);
    const QVector<int> count = requestParameter(0, AreaCount);
    if (count.isEmpty())
        return {};
    QList<int> sizes;
    for (int area = 0; area < count.first(); ++area) {
        selectAreaNumber(area);
        const QVector<int> size = requestParameter(0, AreaSize);
        if (size.isEmpty())
            return {};
        sizes += QList<int>(size.begin(), size.end());
    }
    return sizes;
}

QList<int> SystemParameterCommand::readAreaSizes(int category, int area) {
    selectArea(category, area);
    const QVector<int> size = requestParameter(0, AreaSize);
    return QList<int>(size.begin(), size.end());
}

QString SystemParameterCommand::readAreaName(bool* ok) {
    constexpr int half = AreaNameLength / 2;
    QVector<int> values = requestParameter(half - 1, AreaName, 0);
    if (values.size() == half) {
        const QVector<int> secondHalf = requestParameter(half - 1, AreaName, half);
        values = secondHalf.size() == half ? values + secondHalf : QVector<int>();
    }
    const bool complete = values.size() == AreaNameLength;
    if (ok)
        *ok = complete;
    return complete ? textOf(values) : QString("");
}

QString SystemParameterCommand::readSelectedAreaName(int category, int areaNumber) {
    selectMode(AreaMode);
    selectCategory(category);
    selectAreaNumber(areaNumber);
    bool ok = false;
    const QString name = readAreaName(&ok);
    if (!ok)
        setErrorCode(CommandErrorCode::CommunicationError);
    return name;
}

QVector<int> SystemParameterCommand::requestIndexedParameter(int category, int id, int index0,
                                                             int length) {
    requestEncoder.setCategory(category);
    requestEncoder.setIndex(0, index0);
    const QVector<int> values = requestParameter(length, id, 0);
    requestEncoder.setCategory(SystemCategory);
    requestEncoder.setIndex(0, 0);
    return values;
}

bool SystemParameterCommand::checkConnection() {
    midi::DeviceHandler* handler = deviceHandler();
    if (handler && handler->isConnected())
        return true;
    failWithCommunicationError();
    return false;
}

QString SystemParameterCommand::textOf(const QVector<int>& values) {
    QString text("");
    for (int value : values) {
        if (value == 0)
            break;
        text.append(QChar(static_cast<char16_t>(value)));
    }
    return text;
}

SystemParameterCommand::Reply SystemParameterCommand::sendAndAwaitReply() {
    Reply reply;
    midi::DeviceHandler* handler = deviceHandler();
    if (!handler)
        return reply;
    handler->clearReceived();
    QByteArray request;
    requestEncoder.encode(request);
    handler->send(request);

    QElapsedTimer stopwatch;
    stopwatch.start();
    sysex::IPSDecoder decoder;
    decoder.setRequest(request);
    const qint64 timeoutMs = replyTimeoutMs();
    for (;;) {
        const qint64 remainingMs = timeoutMs - stopwatch.elapsed();
        const QByteArray message =
            remainingMs > 0
                ? handler->takeReceived(int(std::min<qint64>(remainingMs, ReplyWaitSliceMs)))
                : handler->takeReceived();
        if (!message.isEmpty()) {
            if (acceptReply(message, decoder, reply))
                return reply;
            continue;
        }
        // Without ports nothing can arrive, so waiting out the time-out would
        // only spin.
        if (stopwatch.elapsed() >= timeoutMs || !handler->isConnected())
            return reply;
    }
}

bool SystemParameterCommand::acceptReply(const QByteArray& message, sysex::IPSDecoder& decoder,
                                         Reply& reply) {
    try {
        decoder.decode(message);
        reply.values = decoder.values();
        reply.answered = true;
        return true;
    } catch (const sysex::msg_error& error) {
        // Code 1 is another message type or the answer to another request:
        // not ours, so it is passed over. Anything else means the reply was
        // damaged; a good reply may still follow.
        if (error.code() != sysex::msg_error::MALFORMED)
            reply.damaged = true;
        return false;
    }
}

void SystemParameterCommand::failWithCommunicationError() {
    setErrorCode(CommandErrorCode::CommunicationError);
    fail();
}

} // namespace zel::qmix::comm
