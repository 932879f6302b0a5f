#include "KeyboardHarness.h"

#include "data/KeyboardInfo.h"
#include "sysex/ACKEncoder.h"
#include "sysex/EBSEncoder.h"
#include "sysex/ERREncoder.h"
#include "sysex/ESSEncoder.h"
#include "sysex/EXIEncoder.h"
#include "sysex/HBREncoder.h"
#include "sysex/HBSDecoder.h"
#include "sysex/HBSEncoder.h"
#include "sysex/IPREncoder.h"
#include "sysex/IPSDecoder.h"
#include "sysex/IPSEncoder.h"
#include "sysex/MessageType.h"
#include "sysex/RJCEncoder.h"
#include "sysex/SBSEncoder.h"
#include "sysex/msg_error.h"

using namespace zel::qmix;
using sysex::BlockAddress;
using sysex::MessageType;

namespace {

constexpr int kBlockSize = 203;
constexpr int kDataSubAddress = 2;
constexpr int kAllDataCategory = 31;

QByteArray encoded(sysex::Encoder&& encoder) {
    QByteArray message;
    encoder.encode(message);
    return message;
}

} // namespace

KeyboardHarness::KeyboardHarness(const data::KeyboardInfo* model, const emu::FaultPlan& faults)
    : keyboard_(std::make_unique<emu::VirtualKeyboard>(model, faults)) {
    attach();
}

KeyboardHarness::KeyboardHarness(std::unique_ptr<emu::VirtualKeyboard> keyboard)
    : keyboard_(std::move(keyboard)) {
    attach();
}

void KeyboardHarness::attach() {
    keyboard_->setClock([this] { return clockMs_; });
    keyboard_->setOutput([this](const QByteArray& message, int delayMs) {
        replies_.append({message, delayMs});
    });
}

QList<KeyboardHarness::Reply> KeyboardHarness::exchange(const QByteArray& message) {
    replies_.clear();
    keyboard_->receive(message);
    return replies_;
}

QByteArray KeyboardHarness::reply(const QByteArray& message) {
    const QList<Reply> answers = exchange(message);
    return answers.isEmpty() ? QByteArray() : answers.constLast().message;
}

QByteArray KeyboardHarness::ipr(int category, int id, int length, int offset, int index0) {
    sysex::IPREncoder encoder(category, 0);
    encoder.setId(id);
    encoder.setLength(length);
    encoder.setOffset(offset);
    encoder.setIndex(0, index0);
    return encoded(std::move(encoder));
}

QByteArray KeyboardHarness::ips(int category, int id, const QVector<qint32>& values, int offset,
                                int index0) {
    sysex::IPSEncoder encoder(category, 0);
    encoder.setId(id);
    encoder.setOffset(offset);
    encoder.setIndexes({index0});
    encoder.setValues(values);
    return encoded(std::move(encoder));
}

QByteArray KeyboardHarness::hbs(const BlockAddress& address, const QByteArray& data) {
    return encoded(sysex::HBSEncoder(address, data));
}

QByteArray KeyboardHarness::hbr(const BlockAddress& address) {
    return encoded(sysex::HBREncoder(address));
}

QByteArray KeyboardHarness::ack(const BlockAddress& address) {
    return encoded(sysex::ACKEncoder(address));
}

QByteArray KeyboardHarness::rjc(const BlockAddress& address) {
    return encoded(sysex::RJCEncoder(address));
}

QByteArray KeyboardHarness::ess(const BlockAddress& address) {
    return encoded(sysex::ESSEncoder(address));
}

QByteArray KeyboardHarness::ebs(const BlockAddress& address) {
    return encoded(sysex::EBSEncoder(address));
}

QByteArray KeyboardHarness::sbs(int kind) {
    return encoded(sysex::SBSEncoder(kind));
}

QByteArray KeyboardHarness::err(int code) {
    return encoded(sysex::ERREncoder(code));
}

QByteArray KeyboardHarness::exi() {
    return encoded(sysex::EXIEncoder());
}

int KeyboardHarness::typeOf(const QByteArray& message) {
    return message.size() > 5 ? quint8(message.at(5)) : -1;
}

BlockAddress KeyboardHarness::dataAddress(int category, int area) {
    return BlockAddress{category, kDataSubAddress, area};
}

QVector<qint32> KeyboardHarness::request(int category, int id, int length, int offset, int index0) {
    const QByteArray question = ipr(category, id, length, offset, index0);
    for (const Reply& answer : exchange(question)) {
        sysex::IPSDecoder decoder;
        decoder.setRequest(question);
        try {
            decoder.decode(answer.message);
            return decoder.values();
        } catch (const sysex::msg_error&) {
        }
    }
    return {};
}

qint64 KeyboardHarness::system(int id) {
    const QVector<qint32> values = request(0, id);
    return values.size() == 1 ? qint64(quint32(values.first())) : -1;
}

void KeyboardHarness::select(int category, int area) {
    exchange(ips(0, 25, {category}));
    exchange(ips(0, 26, {2}));
    exchange(ips(0, 27, {area}));
}

QString KeyboardHarness::areaName() {
    const QVector<qint32> values = request(0, 33, 7, 0) + request(0, 33, 7, 8);
    QString name;
    for (const qint32 value : values) {
        if (value == 0)
            break;
        name.append(QChar(char16_t(value)));
    }
    return name;
}

bool KeyboardHarness::sendElement(const BlockAddress& address, const QByteArray& data) {
    for (qsizetype offset = 0; offset < data.size(); offset += kBlockSize) {
        if (reply(hbs(address, data.mid(offset, kBlockSize))) != ack(address))
            return false;
    }
    return reply(ess(address)) == ack(address);
}

bool KeyboardHarness::sendArea(int category, int area, const QByteArray& data) {
    if (typeOf(reply(sbs(3))) != MessageType::ACK)
        return false;
    const bool sent = sendElement(dataAddress(category, area), data);
    exchange(ebs(dataAddress(category, area)));
    return sent;
}

QByteArray KeyboardHarness::receiveElement(const BlockAddress& address, QList<int>* blockSizes) {
    QByteArray data(0, Qt::Uninitialized);
    QByteArray message = reply(hbr(address));
    while (typeOf(message) == MessageType::HBS) {
        sysex::HBSDecoder decoder;
        try {
            decoder.decode(message);
        } catch (const sysex::msg_error&) {
            return {};
        }
        data.append(decoder.data());
        if (blockSizes)
            blockSizes->append(int(decoder.data().size()));
        message = reply(ack(address));
    }
    if (typeOf(message) != MessageType::ESS)
        return {};
    exchange(ack(address));
    return data;
}

QByteArray KeyboardHarness::receiveBackup() {
    QByteArray image(0, Qt::Uninitialized);
    const int blocks = int(keyboard_->model()->allDataBlockSizes().size());
    for (int block = 0; block < blocks; ++block) {
        if (typeOf(reply(sbs(2))) != MessageType::ACK)
            return {};
        const QByteArray data = receiveElement(dataAddress(kAllDataCategory, block));
        if (data.isNull())
            return {};
        image.append(data);
    }
    exchange(ebs(dataAddress(kAllDataCategory, blocks - 1)));
    return image;
}

bool KeyboardHarness::sendBackup(const QByteArray& image) {
    if (typeOf(reply(sbs(3))) != MessageType::ACK)
        return false;
    const QList<int> sizes = keyboard_->model()->allDataBlockSizes();
    qsizetype offset = 0;
    bool sent = true;
    for (int block = 0; block < sizes.size() && sent; ++block) {
        sent =
            sendElement(dataAddress(kAllDataCategory, block), image.mid(offset, sizes.at(block)));
        offset += sizes.at(block);
    }
    exchange(ebs(dataAddress(kAllDataCategory, int(sizes.size()) - 1)));
    return sent;
}
