#include "data/MimeData.h"

namespace zel::qmix::data {

QString MimeData::format() {
    return QStringLiteral("application/x-toneharbour-drag");
}

MimeData::MimeData() {
    setData(format(), QByteArray("toneharbour"));
}

} // namespace zel::qmix::data
