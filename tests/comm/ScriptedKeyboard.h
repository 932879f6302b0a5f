#pragma once

#include "midi/WireEndpoint.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSet>
#include <QVector>

#include <mutex>
#include <tuple>

// A keyboard stand-in on the in-process wire. It answers parameter requests
// from a table of system parameter values, keeps the area selection that the
// program writes, records everything the program sends, and can be told to
// misbehave: stay silent, or answer with another parameter id.
class ScriptedKeyboard : public zel::qmix::midi::WireEndpoint {
public:
    enum class Mode { Answer, Silent, WrongId };

    // One message the program sent, as the keyboard read it.
    struct Received {
        int type = -1;     // 0 request, 1 parameter write, other types as sent
        int category = -1; // parameter category
        int id = -1;
        int offset = -1;
        int length = -1; // values minus 1
        QVector<qint32> values;
        QByteArray bytes;
    };

    explicit ScriptedKeyboard(const QString& name);
    ~ScriptedKeyboard() override;

    void setMode(Mode mode);
    // Values of a system parameter, whatever area is selected.
    void setParameter(int id, const QVector<qint32>& values);
    // Values of a system parameter while (category, area) is selected.
    void setAreaParameter(int category, int area, int id, const QVector<qint32>& values);
    // Requests for these ids get no answer.
    void setUnanswered(const QSet<int>& ids);
    // Sent ahead of every answer, as unrelated traffic would be.
    void setNoiseBeforeAnswers(const QList<QByteArray>& messages);

    QList<Received> received() const;
    QList<Received> requests() const;
    void clearReceived();

    void receiveFromProgram(const QByteArray& message) override;

    static QByteArray reply(int category, int id, int offset, const QVector<qint32>& values);

private:
    using Key = std::tuple<int, int, int>; // id, selected category, selected area
    static Received parse(const QByteArray& message);
    QVector<qint32> valuesFor(const Received& request) const;
    void noteWrite(const Received& write);

    mutable std::mutex mutex_;
    Mode mode_ = Mode::Answer;
    QMap<Key, QVector<qint32>> table_;
    QList<QByteArray> noise_;
    QSet<int> unanswered_;
    QList<Received> received_;
    int selectedCategory_ = -1;
    int selectedArea_ = -1;
};
