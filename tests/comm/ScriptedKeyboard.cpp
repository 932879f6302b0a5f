#include "ScriptedKeyboard.h"

#include "midi/Wire.h"
#include "sysex/IPSEncoder.h"
#include "sysex/ParameterAttributeTable.h"
#include "sysex/SysexNumbers.h"
#include "sysex/msg_error.h"

using namespace zel::qmix;

namespace {

constexpr int AnyArea = -1;
constexpr int PresenceProbeId = 24;

} // namespace

ScriptedKeyboard::ScriptedKeyboard(const QString& name)
    : WireEndpoint(name) {
    setParameter(PresenceProbeId, {1});
    midi::Wire::attach(this);
}

ScriptedKeyboard::~ScriptedKeyboard() {
    midi::Wire::detach(this);
}

void ScriptedKeyboard::setMode(Mode mode) {
    const std::lock_guard<std::mutex> lock(mutex_);
    mode_ = mode;
}

void ScriptedKeyboard::setParameter(int id, const QVector<qint32>& values) {
    setAreaParameter(AnyArea, AnyArea, id, values);
}

void ScriptedKeyboard::setAreaParameter(int category, int area, int id,
                                        const QVector<qint32>& values) {
    const std::lock_guard<std::mutex> lock(mutex_);
    table_.insert(Key{id, category, area}, values);
}

void ScriptedKeyboard::setUnanswered(const QSet<int>& ids) {
    const std::lock_guard<std::mutex> lock(mutex_);
    unanswered_ = ids;
}

void ScriptedKeyboard::setNoiseBeforeAnswers(const QList<QByteArray>& messages) {
    const std::lock_guard<std::mutex> lock(mutex_);
    noise_ = messages;
}

QList<ScriptedKeyboard::Received> ScriptedKeyboard::received() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    // A list of its own, never sharing its buffer with the one still growing.
    QList<Received> copy;
    copy.reserve(received_.size());
    for (const Received& message : received_)
        copy.append(message);
    return copy;
}

QList<ScriptedKeyboard::Received> ScriptedKeyboard::requests() const {
    QList<Received> requests;
    for (const Received& message : received()) {
        if (message.type == 0)
            requests.append(message);
    }
    return requests;
}

void ScriptedKeyboard::clearReceived() {
    const std::lock_guard<std::mutex> lock(mutex_);
    received_.clear();
}

void ScriptedKeyboard::receiveFromProgram(const QByteArray& message) {
    const Received parsed = parse(message);
    QList<QByteArray> answers;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        received_.append(parsed);
        if (parsed.type == 1)
            noteWrite(parsed);
        if (parsed.type != 0 || mode_ == Mode::Silent || unanswered_.contains(parsed.id))
            return;
        const int id = mode_ == Mode::WrongId ? parsed.id + 1 : parsed.id;
        answers = noise_;
        answers.append(reply(parsed.category, id, parsed.offset, valuesFor(parsed)));
    }
    for (const QByteArray& answer : answers)
        sendToProgram(answer);
}

QByteArray ScriptedKeyboard::reply(int category, int id, int offset,
                                   const QVector<qint32>& values) {
    sysex::IPSEncoder encoder(category, 0);
    encoder.setId(id);
    encoder.setOffset(offset);
    encoder.setValues(values);
    QByteArray message;
    encoder.encode(message);
    return message;
}

ScriptedKeyboard::Received ScriptedKeyboard::parse(const QByteArray& message) {
    Received parsed;
    parsed.bytes = message;
    if (message.size() < 7)
        return parsed;
    parsed.type = message.at(5);
    if (message.size() < 25 || (parsed.type != 0 && parsed.type != 1))
        return parsed;
    parsed.category = message.at(6);
    parsed.id = int(sysex::SysexNumbers::read14(message, 18));
    parsed.offset = int(sysex::SysexNumbers::read14(message, 20));
    parsed.length = int(sysex::SysexNumbers::read14(message, 22));
    if (parsed.type == 1) {
        const unsigned int bits = sysex::PsGetParameterAttrib(parsed.category, parsed.id).bitWidth;
        const int width = int(sysex::bit2byteLength(bits));
        try {
            for (int i = 0; i <= parsed.length && width > 0; ++i)
                parsed.values.append(
                    qint32(sysex::SysexNumbers::readNumber(message, 24 + i * width, bits)));
        } catch (const sysex::msg_error&) {
            // A write too short for its values: recorded without them, so the
            // test sees the bytes and fails on them.
            parsed.values.clear();
        }
    }
    return parsed;
}

QVector<qint32> ScriptedKeyboard::valuesFor(const Received& request) const {
    QVector<qint32> stored =
        table_.value(Key{request.id, selectedCategory_, selectedArea_},
                     table_.value(Key{request.id, selectedCategory_, AnyArea},
                                  table_.value(Key{request.id, AnyArea, AnyArea})));
    // The reply carries exactly the requested elements; missing ones read 0.
    QVector<qint32> values;
    for (int i = 0; i <= request.length; ++i)
        values.append(stored.value(request.offset + i, 0));
    return values;
}

void ScriptedKeyboard::noteWrite(const Received& write) {
    if (write.category != 0 || write.values.isEmpty())
        return;
    if (write.id == 25)
        selectedCategory_ = write.values.first();
    else if (write.id == 27)
        selectedArea_ = write.values.first();
}
