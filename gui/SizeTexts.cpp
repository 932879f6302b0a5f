#include "gui/SizeTexts.h"

#include <QLocale>

namespace zel::qmix::gui {

QString SizeTexts::bytes(qint64 count) {
    return QLocale::system().toString(count) + QStringLiteral(" byte");
}

} // namespace zel::qmix::gui
