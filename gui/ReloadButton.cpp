#include "gui/ReloadButton.h"

#include <QIcon>

namespace zel::qmix::gui {

ReloadButton::ReloadButton(QWidget* parent)
    : QToolButton(parent) {
    setIcon(QIcon(QStringLiteral(":/images/reload.png")));
    setToolTip(tr("Reload"));
    setAccessibleName(tr("Reload"));
    connect(this, &QToolButton::clicked, this, &ReloadButton::request);
}

void ReloadButton::request() {
    emit requested();
}

} // namespace zel::qmix::gui
