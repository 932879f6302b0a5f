#include "cli/DataFolder.h"

#include "etc/Settings.h"
#include "file/FileNaming.h"

namespace zel::qmix::cli {

DataFolder::DataFolder(const QString& given)
    : path_(QDir::cleanPath(
          QDir(given.isEmpty() ? etc::Settings::instance()->mainDataDirectory() : given)
              .absolutePath())) {}

bool DataFolder::prepare() const {
    etc::Settings::ensureDirectory(path_);
    return file::FileNaming::canCreateFileIn(dir());
}

} // namespace zel::qmix::cli
