#include "gui/PathLineEdit.h"

#include <QDir>

namespace zel::qmix::gui {

PathLineEdit::PathLineEdit(QWidget* parent)
    : QLineEdit(parent) {
    setAccessibleName(tr("Folder Path"));
    connectTyping();
}

void PathLineEdit::connectTyping() {
    typing_ = connect(this, &QLineEdit::textChanged, this, &PathLineEdit::textChangedOriginal);
}

QString PathLineEdit::rawPath() const {
    return QDir::fromNativeSeparators(text());
}

void PathLineEdit::setPathText(QString path) {
    // The shown text differs from `path` on some platforms; the listeners
    // get `path` itself, and only once.
    disconnect(typing_);
    setText(QDir::toNativeSeparators(path));
    emit textChangedOriginal(path);
    connectTyping();
}

} // namespace zel::qmix::gui
