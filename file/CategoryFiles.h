#pragma once

#include "file/AbstractFile.h"

#include <QByteArray>
#include <QSharedPointer>
#include <QString>

namespace zel::qmix::data {
class DataCategory;
}

namespace zel::qmix::file {

// The file operations of the data categories: making the file object of a
// category, and opening a file or received bytes for a keyboard model.
class CategoryFiles {
public:
    // A new file of the category's class, initialised for the current model;
    // null for a null category.
    static QSharedPointer<AbstractFile> createFile(const data::DataCategory* category);

    // Reads `path` as a file of `category` and checks that it may go to
    // keyboard `modelName`. Returns null on failure; `*result` receives the
    // result code either way.
    static QSharedPointer<AbstractFile> openFile(const data::DataCategory* category,
                                                 const QString& path, const QString& modelName,
                                                 int* result);
    // The same for bytes received from the keyboard or taken from a package.
    static QSharedPointer<AbstractFile> openData(const data::DataCategory* category,
                                                 const QByteArray& bytes, const QString& modelName,
                                                 int* result);

private:
    static QSharedPointer<AbstractFile> check(const data::DataCategory* category,
                                              QSharedPointer<AbstractFile> file, int loaded,
                                              const QString& modelName, int* result);
    static int checkedCode(const data::DataCategory* category, AbstractFile& file, int loaded,
                           const QString& modelName);
};

} // namespace zel::qmix::file
