#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace zel::qmix::cli {

// The words after a command's name, split into positional arguments, flags
// (such as --yes) and options with a value (such as -d DIR). Options may
// stand anywhere between the positional arguments.
class ArgumentList {
public:
    // `flags` and `valued` are the option names the command knows.
    ArgumentList(const QStringList& arguments, const QSet<QString>& flags,
                 const QSet<QString>& valued);

    // Empty when the words were well formed; otherwise what is wrong.
    QString error() const { return error_; }
    const QStringList& positional() const { return positional_; }
    bool isSet(const QString& flag) const { return flags_.contains(flag); }
    QString value(const QString& option) const { return values_.value(option); }
    bool hasValue(const QString& option) const { return values_.contains(option); }

private:
    QStringList positional_;
    QSet<QString> flags_;
    QMap<QString, QString> values_;
    QString error_;
};

} // namespace zel::qmix::cli
