#pragma once

#include "emu/FaultPlan.h"
#include "emu/VirtualKeyboard.h"
#include "sysex/BlockAddress.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

#include <memory>

// Drives a virtual keyboard the way the program does, one message at a time,
// with messages built by the program's own encoders, and collects what the
// keyboard answers. Time stands still unless a test moves the clock.
class KeyboardHarness {
public:
    struct Reply {
        QByteArray message;
        int delayMs;
    };

    explicit KeyboardHarness(const zel::qmix::data::KeyboardInfo* model,
                             const zel::qmix::emu::FaultPlan& faults = {});
    // Drives a keyboard built elsewhere (for example with a state folder).
    explicit KeyboardHarness(std::unique_ptr<zel::qmix::emu::VirtualKeyboard> keyboard);

    zel::qmix::emu::VirtualKeyboard& keyboard() { return *keyboard_; }
    void advanceClock(qint64 ms) { clockMs_ += ms; }

    // Sends one message and returns what the keyboard answered to it.
    QList<Reply> exchange(const QByteArray& message);
    // The same, for a test that expects at most one answer and its bytes only.
    QByteArray reply(const QByteArray& message);

    // Messages as the program builds them.
    static QByteArray ipr(int category, int id, int length = 0, int offset = 0, int index0 = 0);
    static QByteArray ips(int category, int id, const QVector<qint32>& values, int offset = 0,
                          int index0 = 0);
    static QByteArray hbs(const zel::qmix::sysex::BlockAddress& address, const QByteArray& data);
    static QByteArray hbr(const zel::qmix::sysex::BlockAddress& address);
    static QByteArray ack(const zel::qmix::sysex::BlockAddress& address);
    static QByteArray rjc(const zel::qmix::sysex::BlockAddress& address);
    static QByteArray ess(const zel::qmix::sysex::BlockAddress& address);
    static QByteArray ebs(const zel::qmix::sysex::BlockAddress& address);
    static QByteArray sbs(int kind);
    static QByteArray err(int code);
    static QByteArray exi();

    // The exchanges the program's commands make.
    // Values of a parameter request; empty when no matching IPS came back.
    QVector<qint32> request(int category, int id, int length = 0, int offset = 0, int index0 = 0);
    // One value of a system parameter, -1 without an answer.
    qint64 system(int id);
    void select(int category, int area);
    // Both halves of parameter 33, ended at the first zero.
    QString areaName();
    // Sends an element as blocks of at most 203 bytes and ends it with ESS;
    // true when every block and the end were acknowledged.
    bool sendElement(const zel::qmix::sysex::BlockAddress& address, const QByteArray& data);
    // SBS(3), one element, EBS: a single-area send.
    bool sendArea(int category, int area, const QByteArray& data);
    // HBR for the element, ACK for every block, ACK for the closing ESS.
    // Null when something else than HBS or ESS arrived; `blockSizes` gets the
    // size of every block received.
    QByteArray receiveElement(const zel::qmix::sysex::BlockAddress& address,
                              QList<int>* blockSizes = nullptr);
    // A complete backup: every block of category 31, concatenated.
    QByteArray receiveBackup();
    // A complete restore; true when every block was acknowledged.
    bool sendBackup(const QByteArray& image);

    static int typeOf(const QByteArray& message);
    static zel::qmix::sysex::BlockAddress dataAddress(int category, int area);

private:
    void attach();

    std::unique_ptr<zel::qmix::emu::VirtualKeyboard> keyboard_;
    QList<Reply> replies_;
    qint64 clockMs_ = 0;
};
