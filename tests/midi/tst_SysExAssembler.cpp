#include "midi/SysExAssembler.h"

#include <QtTest>

using zel::qmix::midi::SysExAssembler;

Q_DECLARE_METATYPE(QList<QByteArray>)

class tst_SysExAssembler : public QObject {
    Q_OBJECT
private slots:
    void assemble_data();
    void assemble();
    void endlessMessageIsDropped();
};

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

} // namespace

void tst_SysExAssembler::assemble_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QList<QByteArray>>("expected");

    const QByteArray whole = bytes({0xF0, 0x44, 0x10, 0x01, 0x7F, 0xF7});
    QTest::newRow("one piece") << QList<QByteArray>{whole} << QList<QByteArray>{whole};
    QTest::newRow("split over three pieces")
        << QList<QByteArray>{whole.left(1), whole.mid(1, 3), whole.mid(4)}
        << QList<QByteArray>{whole};
    QTest::newRow("two messages in one piece, the second split")
        << QList<QByteArray>{whole + whole.left(2), whole.mid(2)}
        << QList<QByteArray>{whole, whole};
    QTest::newRow("real-time bytes inside are skipped")
        << QList<QByteArray>{bytes({0xF0, 0x44, 0xF8, 0x10}), bytes({0xFE, 0x01, 0x7F, 0xF7})}
        << QList<QByteArray>{whole.left(2) + whole.mid(2)};
    QTest::newRow("channel messages around are ignored")
        << QList<QByteArray>{bytes({0x90, 0x40, 0x7F}) + whole + bytes({0x80, 0x40, 0x00})}
        << QList<QByteArray>{whole};
    // A lost end: the broken message must not be glued to the next one.
    QTest::newRow("status byte inside drops the message")
        << QList<QByteArray>{bytes({0xF0, 0x44, 0x10, 0x90, 0x40, 0x7F, 0xF7}), whole}
        << QList<QByteArray>{whole};
    QTest::newRow("drop mark inside drops the message")
        << QList<QByteArray>{bytes({0xF0, 0x44, 0x10}), bytes({0xF4, 0x01, 0xF7}), whole}
        << QList<QByteArray>{whole};
    QTest::newRow("a new start drops the unfinished message")
        << QList<QByteArray>{bytes({0xF0, 0x44, 0x10}), whole} << QList<QByteArray>{whole};
    QTest::newRow("an end without start is ignored")
        << QList<QByteArray>{bytes({0x01, 0x02, 0xF7}), whole} << QList<QByteArray>{whole};
}

void tst_SysExAssembler::assemble() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QList<QByteArray>, expected);
    SysExAssembler assembler;
    QList<QByteArray> complete;
    for (const QByteArray& piece : pieces)
        complete += assembler.feed(piece.constData(), std::size_t(piece.size()));
    QCOMPARE(complete, expected);
}

void tst_SysExAssembler::endlessMessageIsDropped() {
    SysExAssembler assembler;
    const QByteArray start = bytes({0xF0});
    const QByteArray filler(SysExAssembler::MaxMessageSize, char(0x11));
    QVERIFY(assembler.feed(start.constData(), 1).isEmpty());
    QVERIFY(assembler.feed(filler.constData(), std::size_t(filler.size())).isEmpty());
    // Its end, when it comes at last, completes nothing.
    const QByteArray end = bytes({0x22, 0xF7});
    QVERIFY(assembler.feed(end.constData(), 2).isEmpty());
    const QByteArray next = bytes({0xF0, 0x01, 0xF7});
    QCOMPARE(assembler.feed(next.constData(), 3), QList<QByteArray>{next});
}

QTEST_GUILESS_MAIN(tst_SysExAssembler)
#include "tst_SysExAssembler.moc"
