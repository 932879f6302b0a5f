#include "gui/SizeTexts.h"

#include <QLocale>

namespace zel::qmix::gui {

QString SizeTexts::bytes(qint64 count) {
    return QLocale::system().toString(count) + QStringLiteral(" byte");
}

int SizeTexts::megabytes(qint64 count) {
    constexpr qint64 Mebibyte = 1024 * 1024;
    if (count <= 0)
        return 0;
    return int(qMax<qint64>(1, count / Mebibyte));
}

QString SizeTexts::megabytesText(qint64 count) {
    return QLocale::system().toString(megabytes(count)) + QStringLiteral(" MB");
}

} // namespace zel::qmix::gui
