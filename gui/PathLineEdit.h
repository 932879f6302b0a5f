#pragma once

#include <QLineEdit>
#include <QMetaObject>

namespace zel::qmix::gui {

// A folder path field: shows the path with the platform's separators, and
// reports it as the program keeps it (with "/").
class PathLineEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString rawPath READ rawPath WRITE setPathText)
public:
    explicit PathLineEdit(QWidget* parent = nullptr);

    // The shown path with "/" separators.
    QString rawPath() const;

signals:
    // The path typed or set, as the program keeps it.
    void textChangedOriginal(QString path);

public slots:
    // Shows `path` and reports it once, unchanged.
    void setPathText(QString path);

private:
    void connectTyping();

    QMetaObject::Connection typing_;
};

} // namespace zel::qmix::gui
