#pragma once

#include <QString>
#include <QToolButton>

namespace zel::qmix::gui {

// "Browse...": asks for a folder, starting at the default path, and reports
// the chosen one. A cancelled dialog reports nothing.
class DirectoryDialogToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit DirectoryDialogToolButton(QWidget* parent = nullptr);

    QString defaultPath() const { return defaultPath_; }

signals:
    void gotDirectoryPath(QString path);

public slots:
    void setDefaultPath(QString path);
    void getDirectoryPath();

protected:
    // The folder the user chose, "" when cancelled. Tests put their answer here.
    virtual QString askDirectory(const QString& startPath);

private:
    QString defaultPath_;
};

} // namespace zel::qmix::gui
