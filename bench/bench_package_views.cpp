// Figures of the package editor: a package of 100 elements spread over the
// categories of the second-generation model with the most categories is
// saved, opened in the contents view (with the all-contents tree following
// it) and shown category by category. Each switch is timed from the call to
// the end of the events it causes (target 50 ms).
#include "data/AllDataCategory.h"
#include "data/CategoryDescriptor.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "etc/Settings.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"
#include "file/PackageFile.h"
#include "gui/DataPackageAllContentsTreeView.h"
#include "gui/DataPackageContentsTreeView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace zel::qmix;

namespace {

constexpr int Elements = 100;
constexpr int Passes = 3;
constexpr double TargetMs = 50.0;
// Payload of the categories without an empty template.
constexpr int PlainPayloadSize = 512;

// The view with its open dialog answered by the program.
class OpenedPackage : public gui::DataPackageContentsTreeView {
public:
    explicit OpenedPackage(const QString& path)
        : path_(path) {}

protected:
    QString askOpenPath(const QString&) override { return path_; }
    QString askSavePath(const QString&) override { return QString(); }

private:
    QString path_;
};

data::KeyboardInfo* largestSecondGeneration() {
    data::KeyboardInfo* largest = nullptr;
    for (data::KeyboardInfo* model : data::KeyboardInfo::list()) {
        if (model->isSecondGeneration() &&
            (!largest || model->descriptors().size() > largest->descriptors().size()))
            largest = model;
    }
    return largest;
}

// The categories a package edits (the whole-keyboard backup is not one).
QList<const data::DataCategory*> editedCategories(const data::KeyboardInfo* model) {
    QList<const data::DataCategory*> categories;
    for (const data::CategoryDescriptor& descriptor : model->descriptors()) {
        if (descriptor.category && descriptor.category != data::AllDataCategory::instance())
            categories.append(descriptor.category);
    }
    return categories;
}

QByteArray payloadFor(const data::KeyboardInfo* model, const data::DataCategory* category, int area,
                      int seed) {
    QByteArray bytes = model->emptyData(category->id(), area);
    if (!bytes.isEmpty())
        return bytes;
    bytes.resize(PlainPayloadSize);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 31 + seed) & 0x7F);
    return bytes;
}

// Fills areas round the categories until `Elements` data files are in.
bool buildPackage(const data::KeyboardInfo* model, const QDir& sources, const QString& target) {
    const QList<const data::DataCategory*> categories = editedCategories(model);
    file::PackageFile package(model->modelName());
    QList<int> nextArea(categories.size(), 0);
    int added = 0;
    for (int round = 0; added < Elements; ++round) {
        bool progressed = false;
        for (int c = 0; c < categories.size() && added < Elements; ++c) {
            const data::DataCategory* category = categories.at(c);
            const int area = nextArea[c];
            if (area >= model->areaCount(category))
                continue;
            const auto item = file::CategoryFiles::createFile(category);
            item->setData(payloadFor(model, category, area, added));
            const QString path = sources.filePath(QStringLiteral("%1_%2%3")
                                                      .arg(category->keyWord())
                                                      .arg(area)
                                                      .arg(category->extension()));
            if (item->save(path) != file::FileOk)
                return false;
            package.setFile(category->keyWord(), area, path);
            ++nextArea[c];
            ++added;
            progressed = true;
        }
        if (!progressed)
            return false;
    }
    return package.save(target);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    // Settings of its own, so the user's stay untouched.
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication application(argc, argv);

    data::KeyboardInfo* model = largestSecondGeneration();
    if (!model)
        return 1;
    data::KeyboardInfo::setCurrentModel(model);
    const QDir folder(work.path());
    folder.mkpath(QStringLiteral("data"));
    folder.mkpath(QStringLiteral("pc"));
    etc::Settings::instance()->setMainDataDirectory(folder.filePath(QStringLiteral("data")));
    const QString packagePath = folder.filePath(QStringLiteral("data/bench.PK7"));
    if (!buildPackage(model, QDir(folder.filePath(QStringLiteral("pc"))), packagePath)) {
        std::printf("could not build the package\n");
        return 1;
    }

    OpenedPackage view(packagePath);
    gui::DataPackageAllContentsTreeView all;
    QObject::connect(&view, &gui::DataPackageContentsTreeView::reloaded, &all,
                     &gui::DataPackageAllContentsTreeView::reload);
    view.resize(480, 600);
    all.resize(480, 600);
    view.show();
    all.show();
    QElapsedTimer clock;
    clock.start();
    view.openFile();
    QApplication::processEvents();
    const double openMs = clock.nsecsElapsed() / 1e6;
    if (view.openedPath() != packagePath) {
        std::printf("could not open the package\n");
        return 1;
    }

    std::printf("model %s, %d categories, %d elements, package %lld bytes, opened in %.1f ms\n",
                qPrintable(model->modelName().trimmed()), int(editedCategories(model).size()),
                Elements, QFileInfo(packagePath).size(), openMs);
    double longest = 0.0;
    for (int pass = 1; pass <= Passes; ++pass) {
        for (const data::DataCategory* category : editedCategories(model)) {
            clock.restart();
            view.reload(category);
            QApplication::processEvents();
            const double ms = clock.nsecsElapsed() / 1e6;
            longest = std::max(longest, ms);
            std::printf("pass %d  %-16s %4d rows  %7.2f ms\n", pass,
                        qPrintable(category->displayName()), view.itemModel()->rowCount(), ms);
        }
    }
    std::printf("category switch: max %.2f ms (target <= %.0f ms)\n", longest, TargetMs);
    return 0;
}
