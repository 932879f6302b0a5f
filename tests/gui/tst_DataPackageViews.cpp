// The package editor's views: the edited package's areas, all its contents as
// a tree, and the list of package files.

#include "app/MessageDialog.h"
#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "data/RhythmDataCategory.h"
#include "data/SequencerDataCategory.h"
#include "etc/Settings.h"
#include "file/AbstractFile.h"
#include "file/CategoryFiles.h"
#include "file/PackageFile.h"
#include "gui/DataPackageAllContentsTreeView.h"
#include "gui/DataPackageContentsTreeView.h"
#include "gui/DataPackageFileTreeView.h"
#include "gui/PcTreeView.h"
#include "gui/TrashLabel.h"
#include "tests/app/ModalBoxWatcher.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ViewDrop.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

#include <memory>

using namespace zel::qmix;
using data::KeyboardInfo;
using file::PackageFile;
using gui::DataPackageContentsTreeView;
using testsupport::ViewDrop;

namespace {

const QString Model = QStringLiteral("PRV-1100");
const QString Rhythm = QStringLiteral("RHYTHM");

const data::DataCategory* rhythms() {
    return data::RhythmDataCategory::instance();
}

const data::DataCategory* songs() {
    return data::SequencerDataCategory::instance();
}

// A native rhythm: "AC07", its length, then bytes that do not compress.
QByteArray rhythm(int size, quint32 seed = 1) {
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(seed);
    for (int i = 8; i < size; ++i)
        bytes[i] = char(generator.bounded(256));
    bytes.replace(0, 4, "AC07");
    qToLittleEndian<qint32>(size, bytes.data() + 4);
    return bytes;
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A song file of the current model whose payload is `size` bytes.
QString writeSong(const QDir& folder, const QString& name, int size) {
    QByteArray payload = KeyboardInfo::currentModel()->emptyData(songs()->id(), 0);
    const int templateSize = int(payload.size());
    payload.resize(size);
    for (int i = templateSize; i < size; ++i)
        payload[i] = char(i % 89);
    const auto song = file::CategoryFiles::createFile(songs());
    song->setData(payload);
    const QString path = folder.filePath(name);
    return song->save(path) == file::FileOk ? path : QString();
}

void deliverRequests() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

QList<QUrl> urls(const QStringList& paths) {
    QList<QUrl> list;
    for (const QString& path : paths)
        list.append(QUrl::fromLocalFile(path));
    return list;
}

// The package view with its file dialogs stood in for.
class EditedPackage : public DataPackageContentsTreeView {
public:
    EditedPackage() {
        // As the window's wiring does: a new or loaded package is listed again.
        connect(this, &DataPackageContentsTreeView::allReloadRequired, this,
                qOverload<>(&DataPackageContentsTreeView::reload));
        resize(420, 480);
        initialize();
        reload(rhythms());
        show();
    }

    QString name(int row) const { return text(row, NameColumn); }
    QString text(int row, int column) const {
        const QStandardItem* item = itemModel()->item(row, column);
        return item ? item->text() : QStringLiteral("(no row)");
    }
    bool drop(const QStringList& paths, int row) {
        return ViewDrop::dropFilesOnRow(this, urls(paths), row);
    }
    void selectRows(const QList<int>& rows) {
        for (int row : rows)
            selectionModel()->select(itemModel()->index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    using DataPackageContentsTreeView::createDragData;

    QString openAnswer;
    QString saveAnswer;
    QStringList proposedSavePaths;

protected:
    QString askOpenPath(const QString&) override { return openAnswer; }
    QString askSavePath(const QString& defaultPath) override {
        proposedSavePaths.append(defaultPath);
        return saveAnswer;
    }
};

} // namespace

class tst_DataPackageViews : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveProposesAFreeModelAndDateName_data();
    void saveProposesAFreeModelAndDateName();
    void longFileNamesAreCut_data();
    void longFileNamesAreCut();
    void dropFillsFollowingAreasUpToTheLast();
    void songsBeyondTheMemoryAreRefused();
    void overfullPackageShowsAFullGauge();
    void filesGoneFromDiskLeaveTheirAreasEmpty();
    void leavingAsksOnlyAboutChangesWorthSaving_data();
    void leavingAsksOnlyAboutChangesWorthSaving();
    void failedSaveKeepsFileAndPackage_data();
    void failedSaveKeepsFileAndPackage();
    void unusableOpenKeepsTheEditedPackage_data();
    void unusableOpenKeepsTheEditedPackage();
    void draggedRowsGoOnlyToTheTrash();
    void allContentsKeepItsExpansion();
    void packageListShowsPackageFilesOnly();

private:
    QString dataPath(const QString& name) const { return QDir(mainFolder).filePath(name); }
    QString rhythmFile(const QString& name, int size = 400, quint32 seed = 1) const;
    // A package with one rhythm in area 0, saved and opened in `view`.
    QString openedPackage(EditedPackage& view, const QString& name);

    std::unique_ptr<QTemporaryDir> work;
    QString mainFolder;
    QString sources;
};

void tst_DataPackageViews::initTestCase() {
    gui::MessageDialog::create();
    data::DataCategory::registerMetaTypes();
    KeyboardInfo::list();
}

void tst_DataPackageViews::init() {
    work = std::make_unique<QTemporaryDir>();
    QVERIFY(work->isValid());
    mainFolder = work->filePath(QStringLiteral("data"));
    sources = work->filePath(QStringLiteral("pc"));
    QVERIFY(QDir().mkpath(sources));
    etc::Settings::instance()->setMainDataDirectory(mainFolder);
    KeyboardInfo::setCurrentModel(KeyboardInfo::find(Model));
}

void tst_DataPackageViews::cleanup() {
    work.reset();
}

QString tst_DataPackageViews::rhythmFile(const QString& name, int size, quint32 seed) const {
    const QString path = QDir(sources).filePath(name);
    return writeAll(path, rhythm(size, seed)) ? path : QString();
}

QString tst_DataPackageViews::openedPackage(EditedPackage& view, const QString& name) {
    view.drop({rhythmFile(QStringLiteral("first.AC7"))}, 0);
    view.saveAnswer = dataPath(name);
    return view.save() ? view.saveAnswer : QString();
}

void tst_DataPackageViews::saveProposesAFreeModelAndDateName_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("proposed");

    const QString base = Model + QLatin1Char('_') + QDate::currentDate().toString("yyMMdd");
    QTest::newRow("free") << QStringList() << base + ".PK7";
    QTest::newRow("taken") << QStringList{base + ".PK7"} << base + "(2).PK7";
    QTest::newRow("taken twice") << QStringList{base + ".PK7", base + "(2).PK7"}
                                 << base + "(3).PK7";
}

void tst_DataPackageViews::saveProposesAFreeModelAndDateName() {
    QFETCH(QStringList, existing);
    QFETCH(QString, proposed);
    QVERIFY(QDir().mkpath(mainFolder));
    for (const QString& name : existing)
        QVERIFY(writeAll(dataPath(name), "x"));
    EditedPackage view;

    QVERIFY(!view.save());

    QCOMPARE(view.proposedSavePaths, QStringList{dataPath(proposed)});
    // Once saved, the package's own file is proposed.
    view.saveAnswer = dataPath(QStringLiteral("mine.PK7"));
    QVERIFY(view.save());
    view.saveAnswer.clear();
    QVERIFY(!view.save());
    QCOMPARE(view.proposedSavePaths.last(), dataPath(QStringLiteral("mine.PK7")));
}

void tst_DataPackageViews::longFileNamesAreCut_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("shown");

    QTest::newRow("25 characters") << "ABCDEFGHIJKLMNOPQRSTU.PK7"
                                   << "ABCDEFGHIJKLMNOPQRST...";
    QTest::newRow("21 characters") << "ABCDEFGHIJKLMNOPQ.PK7"
                                   << "ABCDEFGHIJKLMNOPQ.PK...";
    QTest::newRow("20 characters") << "ABCDEFGHIJKLMNOP.PK7"
                                   << "ABCDEFGHIJKLMNOP.PK7";
}

void tst_DataPackageViews::longFileNamesAreCut() {
    QFETCH(QString, fileName);
    QFETCH(QString, shown);
    EditedPackage view;
    QSignalSpy names(&view, &DataPackageContentsTreeView::notifyPackageFileName);
    view.reload();
    QCOMPARE(names.last().at(0).toString(), QStringLiteral("Package File"));

    QVERIFY(!openedPackage(view, fileName).isEmpty());
    names.clear();
    view.reload(songs());

    QCOMPARE(names.last().at(0).toString(), shown);
}

void tst_DataPackageViews::dropFillsFollowingAreasUpToTheLast() {
    EditedPackage view;
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));
    const int rows = view.itemModel()->rowCount();
    QCOMPARE(rows, KeyboardInfo::currentModel()->areaCount(rhythms()));
    const QStringList files = {rhythmFile("a.AC7", 300), rhythmFile("b.AC7", 1234),
                               rhythmFile("c.AC7", 500)};

    QVERIFY(view.drop(files, rows - 2));
    deliverRequests();

    QCOMPARE(view.name(rows - 2), QStringLiteral("a.AC7"));
    QCOMPARE(view.name(rows - 1), QStringLiteral("b.AC7"));
    QCOMPARE(view.text(rows - 1, DataPackageContentsTreeView::SizeColumn),
             QLocale::system().toString(1234) + QStringLiteral(" byte"));
    QCOMPARE(view.text(rows - 1, DataPackageContentsTreeView::AreaColumn), QString::number(rows));
    for (int row = 0; row < rows - 2; ++row)
        QCOMPARE(view.name(row), QString());
    const auto filled = view.package().areasOf(Rhythm);
    QCOMPARE(filled.size(), rows);
    QCOMPARE(filled.at(rows - 1).sourcePath, files.at(1));
    QVERIFY(view.isModified());
    QVERIFY(boxes.seen().isEmpty());
}

void tst_DataPackageViews::songsBeyondTheMemoryAreRefused() {
    const KeyboardInfo* model = KeyboardInfo::currentModel();
    const int reserved = model->areaCount(songs()) * songs()->emptyDataSize();
    // Two such songs fit, the third does not.
    const int size = songs()->emptyDataSize() + (model->songMemoryCapacity() - reserved) * 2 / 5;
    QVERIFY(size <= model->maxSongSize());
    QStringList files;
    for (const char* name : {"one.CMS", "two.CMS", "three.CMS"})
        files.append(writeSong(QDir(sources), name, size));
    QVERIFY(!files.contains(QString()));
    EditedPackage view;
    view.reload(songs());
    QSignalSpy percent(&view, &DataPackageContentsTreeView::notifyCategoryCurrentMemory);
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));

    QVERIFY(view.drop(files, 0));
    deliverRequests();

    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().first().text, QStringLiteral("Memory Full"));
    QCOMPARE(view.name(0), QStringLiteral("one.CMS"));
    QCOMPARE(view.name(1), QStringLiteral("two.CMS"));
    QCOMPARE(view.name(2), QString());
    // The gauge leaves out what empty areas take, on both sides.
    const int capacity = model->songMemoryCapacity() - reserved;
    QCOMPARE(percent.last().at(0).toInt(), 2 * (size - songs()->emptyDataSize()) * 100 / capacity);
}

void tst_DataPackageViews::overfullPackageShowsAFullGauge() {
    // Packages made elsewhere may hold more than the keyboard takes; the bar
    // ignores values beyond its range and would show the last category's.
    const KeyboardInfo* model = KeyboardInfo::currentModel();
    const int empty = songs()->emptyDataSize();
    const int size = empty + (model->songMemoryCapacity() - 5 * empty) * 3 / 5;
    QVERIFY(size <= model->maxSongSize());
    PackageFile overfull(Model);
    for (int area = 0; area < 3; ++area)
        overfull.setFile(songs()->keyWord(), area,
                         writeSong(QDir(sources), QString("%1.CMS").arg(area), size));
    QVERIFY(QDir().mkpath(mainFolder));
    QVERIFY(overfull.save(dataPath("overfull.PK7")));
    EditedPackage view;
    view.openAnswer = dataPath("overfull.PK7");
    view.openFile();
    QSignalSpy percent(&view, &DataPackageContentsTreeView::notifyCategoryCurrentMemory);

    view.reload(songs());

    QCOMPARE(view.name(2), QStringLiteral("2.CMS"));
    QCOMPARE(percent.last().at(0).toInt(), 100);
}

void tst_DataPackageViews::filesGoneFromDiskLeaveTheirAreasEmpty() {
    EditedPackage view;
    const QString kept = rhythmFile("kept.AC7");
    const QString gone = rhythmFile("gone.AC7");
    QVERIFY(view.drop({kept, gone}, 0));
    QVERIFY(QFile::remove(gone));

    view.reload();
    QCOMPARE(view.name(0), QStringLiteral("kept.AC7"));
    QCOMPARE(view.name(1), QString());
    QCOMPARE(view.text(1, DataPackageContentsTreeView::SizeColumn), QString());

    // Gone before the list noticed: the save leaves it out as well.
    const QString later = rhythmFile("later.AC7");
    QVERIFY(view.drop({later}, 2));
    QVERIFY(QFile::remove(later));
    view.saveAnswer = dataPath("saved.PK7");
    QVERIFY(view.save());

    PackageFile saved;
    QVERIFY(saved.load(view.saveAnswer));
    QVERIFY(saved.area(Rhythm, 0).hasData());
    QVERIFY(!saved.area(Rhythm, 1).hasData());
    QVERIFY(!saved.area(Rhythm, 2).hasData());
    QCOMPARE(view.name(2), QString());
}

void tst_DataPackageViews::leavingAsksOnlyAboutChangesWorthSaving_data() {
    QTest::addColumn<bool>("clearAgain");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("mayLeave");

    QTest::newRow("emptied again") << true << int(QMessageBox::Cancel) << 0 << true;
    QTest::newRow("holding a file, cancel") << false << int(QMessageBox::Cancel) << 1 << false;
    QTest::newRow("holding a file, no") << false << int(QMessageBox::No) << 1 << true;
}

void tst_DataPackageViews::leavingAsksOnlyAboutChangesWorthSaving() {
    QFETCH(bool, clearAgain);
    QFETCH(int, answer);
    QFETCH(int, questions);
    QFETCH(bool, mayLeave);
    EditedPackage view;
    QVERIFY(view.drop({rhythmFile("a.AC7")}, 3));
    if (clearAgain) {
        view.selectRows({3});
        view.clearSelectedArea();
        QCOMPARE(view.name(3), QString());
    }
    QVERIFY(view.isModified());
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::StandardButton(answer)));

    QCOMPARE(view.confirmLeave(), mayLeave);

    QCOMPARE(boxes.seen().size(), questions);
    if (questions)
        QCOMPARE(boxes.seen().first().text,
                 QStringLiteral("Package Data has Changed.\nSave Changes?"));
    // New after a refusal keeps the package.
    view.initializeWithConfirm();
    QCOMPARE(view.name(3).isEmpty(), clearAgain || mayLeave);
}

void tst_DataPackageViews::failedSaveKeepsFileAndPackage_data() {
    QTest::addColumn<bool>("diskFills");
    QTest::addColumn<QString>("target");

    QTest::newRow("disk fills while saving over the opened file") << true << QString();
    QTest::newRow("folder missing") << false << "missing/elsewhere.PK7";
}

void tst_DataPackageViews::failedSaveKeepsFileAndPackage() {
    QFETCH(bool, diskFills);
    QFETCH(QString, target);
    EditedPackage view;
    const QString opened = openedPackage(view, "opened.PK7");
    QVERIFY(!opened.isEmpty());
    const QByteArray before = readAll(opened);
    QByteArray entry;
    QCOMPARE(view.package().read(Rhythm, 0, entry), int(PackageFile::ReadOk));
    QVERIFY(view.drop({rhythmFile("big.AC7", 30000, 7)}, 1));
    QVERIFY(view.isModified());
    view.saveAnswer = target.isEmpty() ? opened : work->filePath(target);
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));

    bool saved = true;
    {
        std::unique_ptr<testsupport::FileSizeLimit> limit;
        if (diskFills) {
            limit = std::make_unique<testsupport::FileSizeLimit>(before.size() + 4096);
            if (!limit->isActive())
                QSKIP("file sizes cannot be limited here");
        }
        saved = view.save();
    }
    deliverRequests();

    QVERIFY(!saved);
    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().first().text, QStringLiteral("File Write Error"));
    QCOMPARE(readAll(opened), before);
    QVERIFY(view.isModified());
    QCOMPARE(view.openedPath(), opened);
    QVERIFY(!QFileInfo::exists(work->filePath("missing")));
    // The package still reads its entries and saves whole afterwards.
    QByteArray after;
    QCOMPARE(view.package().read(Rhythm, 0, after), int(PackageFile::ReadOk));
    QCOMPARE(after, entry);
    view.saveAnswer = opened;
    QVERIFY(view.save());
    PackageFile reread;
    QVERIFY(reread.load(opened));
    QCOMPARE(reread.area(Rhythm, 1).dataName, QStringLiteral("big.AC7"));
    QCOMPARE(reread.read(Rhythm, 0, after), int(PackageFile::ReadOk));
    QCOMPARE(after, entry);
}

void tst_DataPackageViews::unusableOpenKeepsTheEditedPackage_data() {
    QTest::addColumn<bool>("copyFails");
    QTest::addColumn<QString>("text");

    QTest::newRow("file missing") << false << "File Read Error\nnowhere.PK7";
    QTest::newRow("no room for the copy") << true << "File Read Error\nlarge.PK7";
}

void tst_DataPackageViews::unusableOpenKeepsTheEditedPackage() {
    QFETCH(bool, copyFails);
    QFETCH(QString, text);
    QString large;
    {
        EditedPackage other;
        QVERIFY(other.drop({rhythmFile("huge.AC7", 32000, 3)}, 0));
        other.saveAnswer = large = dataPath("large.PK7");
        QVERIFY(other.save());
    }
    EditedPackage view;
    const QString opened = openedPackage(view, "opened.PK7");
    QVERIFY(view.drop({rhythmFile("b.AC7")}, 4));
    view.openAnswer = copyFails ? large : dataPath("nowhere.PK7");
    ModalBoxWatcher boxes(ModalBoxWatcher::press(QMessageBox::Ok));

    {
        testsupport::FileSizeLimit limit(8192);
        if (copyFails && !limit.isActive())
            QSKIP("file sizes cannot be limited here");
        view.openFile();
    }
    deliverRequests();

    QCOMPARE(boxes.seen().size(), 1);
    QCOMPARE(boxes.seen().first().text, text);
    QCOMPARE(view.openedPath(), opened);
    QVERIFY(view.isModified());
    QCOMPARE(view.name(0), QStringLiteral("first.AC7"));
    QCOMPARE(view.name(4), QStringLiteral("b.AC7"));
    QByteArray entry;
    QCOMPARE(view.package().read(Rhythm, 0, entry), int(PackageFile::ReadOk));
    QCOMPARE(entry.left(4), QByteArray("AC07"));
}

void tst_DataPackageViews::draggedRowsGoOnlyToTheTrash() {
    EditedPackage view;
    QVERIFY(view.drop({rhythmFile("a.AC7"), rhythmFile("b.AC7")}, 2));
    view.selectRows({1, 2, 3});

    std::unique_ptr<data::MimeData> drag(view.createDragData());
    QVERIFY(drag);
    drag->setSourceView(&view);

    // Only filled rows are dragged, and not as keyboard areas: a PC list
    // must not fetch them from the keyboard.
    QCOMPARE(drag->entries(), (QVariantList{2, 3}));
    QVERIFY(!drag->hasAreas());
    gui::PcTreeView pcList;
    pcList.reload(rhythms());
    QVERIFY(!ViewDrop::dragAndDrop(pcList.viewport(), drag.get()));

    QVERIFY(gui::TrashLabel::handBack(drag.get()));
    QCOMPARE(view.name(2), QString());
    QCOMPARE(view.name(3), QString());
    QVERIFY(view.package().hasNoData());

    view.selectRows({5});
    QVERIFY(!view.createDragData());
}

void tst_DataPackageViews::allContentsKeepItsExpansion() {
    EditedPackage view;
    gui::DataPackageAllContentsTreeView all;
    connect(&view, &DataPackageContentsTreeView::reloaded, &all,
            &gui::DataPackageAllContentsTreeView::reload);
    QVERIFY(view.drop({rhythmFile("a.AC7"), rhythmFile("b.AC7")}, 4));
    view.reload(songs());
    QVERIFY(view.drop({writeSong(QDir(sources), "s.CMS", songs()->emptyDataSize())}, 1));

    QStandardItemModel* tree = all.itemModel();
    QCOMPARE(tree->rowCount(), 1);
    QStandardItem* root = tree->item(0);
    QCOMPARE(root->text(), Model);
    QCOMPARE(root->rowCount(), 2);
    QStandardItem* rhythmRow = root->child(0);
    QCOMPARE(rhythmRow->text(), rhythms()->displayName());
    QCOMPARE(rhythmRow->rowCount(), 2);
    QCOMPARE(rhythmRow->child(1, 0)->text(), QStringLiteral("6"));
    QCOMPARE(rhythmRow->child(1, 1)->text(), QStringLiteral("b.AC7"));
    QCOMPARE(root->child(1)->text(), songs()->displayName());

    all.expand(root->index());
    all.expand(rhythmRow->index());
    view.reload(rhythms());
    // A list without a package between two reloads forgets nothing.
    all.reload(QVariant());
    QVERIFY(!all.isEnabled());
    view.reload();

    QVERIFY(all.isEnabled());
    root = tree->item(0);
    QVERIFY(all.isExpanded(root->index()));
    QVERIFY(all.isExpanded(root->child(0)->index()));
    QVERIFY(!all.isExpanded(root->child(1)->index()));

    all.collapse(root->index());
    view.reload();
    QVERIFY(!all.isExpanded(tree->item(0)->index()));
}

void tst_DataPackageViews::packageListShowsPackageFilesOnly() {
    QVERIFY(QDir().mkpath(dataPath("folder.PK7")));
    QVERIFY(writeAll(dataPath("one.PK7"), "x"));
    QVERIFY(writeAll(dataPath("two.pk7"), "x"));
    QVERIFY(writeAll(dataPath("rhythm.AC7"), "x"));
    gui::DataPackageFileTreeView list;

    list.reload(rhythms());

    QStringList shown;
    for (int row = 0; row < list.model()->rowCount(); ++row)
        shown.append(list.model()->index(row, 0).data().toString());
    shown.sort(Qt::CaseInsensitive);
    QCOMPARE(shown, (QStringList{"one.PK7", "two.pk7"}));
    const QIcon icon = list.model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!icon.pixmap(16, 16).isNull());
}

QTEST_MAIN(tst_DataPackageViews)
#include "tst_DataPackageViews.moc"
