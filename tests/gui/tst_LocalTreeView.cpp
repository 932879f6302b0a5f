#include "app/MessageDialog.h"
#include "data/MimeData.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "gui/LocalTreeView.h"
#include "gui/LocalTreeViewSortFilterProxyModel.h"
#include "tests/app/ModalBoxWatcher.h"
#include "tests/support/FileSizeLimit.h"

#include "tests/support/ViewDrop.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using zel::qmix::data::MimeData;
using zel::qmix::data::RegistrationDataCategory;
using zel::qmix::data::RhythmDataCategory;
using zel::qmix::gui::LocalTreeView;
using zel::qmix::gui::LocalTreeViewSortFilterProxyModel;
using zel::qmix::gui::MessageDialog;

using zel::qmix::testsupport::ViewDrop;

namespace {

// A list of whatever folder the test gives it.
class FolderView : public LocalTreeView {
public:
    QDir folder;
    QDir listedDirectory() const override { return folder; }
    using LocalTreeView::createDragData;
};

void deliverRequests() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList shownNames(const QAbstractItemView& view) {
    QStringList names;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        names.append(view.model()->index(row, 0).data().toString());
    return names;
}

QModelIndex rowNamed(const QAbstractItemView& view, const QString& name) {
    for (int row = 0; row < view.model()->rowCount(); ++row) {
        const QModelIndex index = view.model()->index(row, 0);
        if (index.data().toString() == name)
            return index;
    }
    return {};
}

void selectNames(QAbstractItemView& view, const QStringList& names) {
    for (const QString& name : names) {
        const QModelIndex index = rowNamed(view, name);
        QVERIFY2(index.isValid(), qPrintable(name));
        view.selectionModel()->select(index,
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class tst_LocalTreeView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void naturalOrder_data();
    void naturalOrder();
    void listIsSortedNaturally();
    void emptyFolderShowsNoFileRow();
    void listsOnlyTheCategorysFiles();
    void sizeTextAndSortBySize();
    void selectionEmitsAbsolutePaths();
    void reloadClearsTheSelection();
    void dragDataCarriesTheSelectedFiles();

    void rename_data();
    void rename();
    void deleteSelected_data();
    void deleteSelected();

    void wholeKeyboardDropAsksForBackup();
    void filesFromOutsideAreCopiedUnderFreeNames();
    void ownRowsAndFoldersAreNotCopied();
    void failedCopyLeavesNoPartialFile();

private:
    std::unique_ptr<QTemporaryDir> work;
    std::unique_ptr<FolderView> view;
    QString listed;
};

void tst_LocalTreeView::initTestCase() {
    MessageDialog::create();
    // Files go to the desktop's trash, which lives in the home folder: keep
    // the test's files on the same disk as that home.
    QVERIFY(QDir().mkpath(QDir::homePath()));
}

void tst_LocalTreeView::init() {
    work = std::make_unique<QTemporaryDir>(QDir::home().filePath(QStringLiteral("lists-XXXXXX")));
    QVERIFY(work->isValid());
    listed = work->filePath(QStringLiteral("listed"));
    QVERIFY(QDir().mkpath(listed));
    view = std::make_unique<FolderView>();
    view->folder = QDir(listed);
}

void tst_LocalTreeView::cleanup() {
    view.reset();
    work.reset();
    QLocale::setDefault(QLocale::system());
}

void tst_LocalTreeView::naturalOrder_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("aFirst");
    QTest::addColumn<bool>("bFirst");

    QTest::newRow("9 before 10") << "9.AC7"
                                 << "10.AC7" << true << false;
    QTest::newRow("leading zeros do not count") << "007.AC7"
                                                << "10.AC7" << true << false;
    QTest::newRow("equal values go by base name") << "02.CMS"
                                                  << "2.CMS" << true << false;
    QTest::newRow("suffix case is ignored") << "X.ac7"
                                            << "X.AC7" << false << false;
    QTest::newRow("longer run is larger") << "99999999999999999999.AC7"
                                          << "100000000000000000000.AC7" << true << false;
    QTest::newRow("second 16-digit piece decides") << "12345678901234567890.AC7"
                                                   << "12345678901234567891.AC7" << true << false;
    QTest::newRow("first 16-digit piece decides first")
        << "12345678901234567899.AC7"
        << "22345678901234567890.AC7" << true << false;
    QTest::newRow("same value, rest by locale") << "05b.AC7"
                                                << "5a.AC7" << true << false;
    QTest::newRow("digits only on one side") << "10.AC7"
                                             << "abc.AC7" << true << false;
    QTest::newRow("letters") << "Apple.AC7"
                             << "Banana.AC7" << true << false;
    QTest::newRow("same base, suffix decides") << "Beat.AC7"
                                               << "Beat.CKF" << true << false;
    QTest::newRow("identical") << "Beat.AC7"
                               << "Beat.AC7" << false << false;
}

void tst_LocalTreeView::naturalOrder() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, aFirst);
    QFETCH(bool, bFirst);

    QCOMPARE(LocalTreeViewSortFilterProxyModel::naturalLessThan(a, b), aFirst);
    QCOMPARE(LocalTreeViewSortFilterProxyModel::naturalLessThan(b, a), bFirst);
}

void tst_LocalTreeView::listIsSortedNaturally() {
    for (const char* name : {"10.AC7", "9.AC7", "Beat.AC7", "007.AC7", "100.AC7"})
        QVERIFY(writeFile(QDir(listed).filePath(QLatin1String(name)), "x"));

    view->reload(RhythmDataCategory::instance());

    QCOMPARE(shownNames(*view), (QStringList{"007.AC7", "9.AC7", "10.AC7", "100.AC7", "Beat.AC7"}));
    view->sortByColumn(LocalTreeView::NameColumn, Qt::DescendingOrder);
    QCOMPARE(shownNames(*view), (QStringList{"Beat.AC7", "100.AC7", "10.AC7", "9.AC7", "007.AC7"}));
}

void tst_LocalTreeView::emptyFolderShowsNoFileRow() {
    QSignalSpy selected(view.get(), &LocalTreeView::selected);
    view->reload(RhythmDataCategory::instance());

    QCOMPARE(view->model()->rowCount(), 1);
    const QModelIndex name = view->model()->index(0, 0);
    const QModelIndex size = view->model()->index(0, 1);
    QCOMPARE(name.data().toString(), QStringLiteral("No File"));
    QCOMPARE(size.data().toString(), QStringLiteral("-"));
    for (const QModelIndex& cell : {name, size}) {
        QVERIFY(!(cell.flags() & Qt::ItemIsSelectable));
        QVERIFY(!(cell.flags() & Qt::ItemIsEditable));
    }
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.last().at(0).toStringList(), QStringList());

    view->setCurrentIndex(name);
    view->selectionModel()->select(name, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QVERIFY(view->selectedFilePaths().isEmpty());
    QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("File Name"));
    QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Size"));
}

void tst_LocalTreeView::listsOnlyTheCategorysFiles() {
    QVERIFY(writeFile(QDir(listed).filePath("a.AC7"), "x"));
    QVERIFY(writeFile(QDir(listed).filePath("b.ckf"), "x"));
    QVERIFY(writeFile(QDir(listed).filePath("c.TN7"), "x"));
    QVERIFY(QDir(listed).mkdir("d.AC7"));

    view->reload(RhythmDataCategory::instance());

    QCOMPARE(shownNames(*view), (QStringList{"a.AC7", "b.ckf"}));
    QCOMPARE(view->category(), RhythmDataCategory::instance());
    // reload() lists the remembered category again, now with the new file.
    QVERIFY(writeFile(QDir(listed).filePath("e.Z00"), "x"));
    view->reload();
    QCOMPARE(shownNames(*view), (QStringList{"a.AC7", "b.ckf", "e.Z00"}));
}

void tst_LocalTreeView::sizeTextAndSortBySize() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY(writeFile(QDir(listed).filePath("a.AC7"), QByteArray(1234, 'a')));
    QVERIFY(writeFile(QDir(listed).filePath("b.AC7"), QByteArray(5, 'b')));
    QVERIFY(writeFile(QDir(listed).filePath("c.AC7"), QByteArray(200, 'c')));

    view->reload(RhythmDataCategory::instance());
    const QModelIndex size = rowNamed(*view, "a.AC7").siblingAtColumn(LocalTreeView::SizeColumn);
    QCOMPARE(size.data().toString(), QStringLiteral("1,234 byte"));
    QCOMPARE(size.data(LocalTreeView::SizeRole).toLongLong(), 1234);
    QVERIFY(!(size.flags() & Qt::ItemIsEditable));
    QCOMPARE(Qt::Alignment(size.data(Qt::TextAlignmentRole).toInt()),
             Qt::AlignRight | Qt::AlignVCenter);

    // By the byte count, not by the text ("1,234" would come before "200").
    view->sortByColumn(LocalTreeView::SizeColumn, Qt::AscendingOrder);
    QCOMPARE(shownNames(*view), (QStringList{"b.AC7", "c.AC7", "a.AC7"}));
}

void tst_LocalTreeView::selectionEmitsAbsolutePaths() {
    QVERIFY(writeFile(QDir(listed).filePath("a.AC7"), "x"));
    QVERIFY(writeFile(QDir(listed).filePath("b.AC7"), "x"));
    view->reload(RhythmDataCategory::instance());
    QSignalSpy selected(view.get(), &LocalTreeView::selected);

    selectNames(*view, {"a.AC7", "b.AC7"});

    QCOMPARE(selected.size(), 2);
    QStringList paths = selected.last().at(0).toStringList();
    paths.sort();
    QCOMPARE(paths, (QStringList{QDir(listed).absoluteFilePath("a.AC7"),
                                 QDir(listed).absoluteFilePath("b.AC7")}));
}

void tst_LocalTreeView::reloadClearsTheSelection() {
    QVERIFY(writeFile(QDir(listed).filePath("a.AC7"), "x"));
    view->reload(RhythmDataCategory::instance());
    selectNames(*view, {"a.AC7"});
    QSignalSpy selected(view.get(), &LocalTreeView::selected);

    view->reload();

    QVERIFY(view->selectedFilePaths().isEmpty());
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.last().at(0).toStringList(), QStringList());
}

void tst_LocalTreeView::dragDataCarriesTheSelectedFiles() {
    QVERIFY(writeFile(QDir(listed).filePath("a.AC7"), "x"));
    QVERIFY(writeFile(QDir(listed).filePath("b.AC7"), "x"));
    view->reload(RhythmDataCategory::instance());
    QVERIFY(!view->createDragData());

    selectNames(*view, {"b.AC7"});
    std::unique_ptr<MimeData> drag(view->createDragData());

    QVERIFY(drag);
    QCOMPARE(drag->urls(),
             QList<QUrl>{QUrl::fromLocalFile(QDir(listed).absoluteFilePath("b.AC7"))});
    QCOMPARE(drag->category(), RhythmDataCategory::instance());
    QVERIFY(drag->isDeletable());
    QVERIFY(!drag->hasAreas());
}

void tst_LocalTreeView::rename_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected"); // the file's name afterwards
    QTest::addColumn<bool>("errorShown");

    QTest::newRow("new name keeps the extension") << "Groove"
                                                  << "Groove.AC7" << false;
    QTest::newRow("typed extension in any case") << " Groove.ac7 "
                                                 << "Groove.ac7" << false;
    QTest::newRow("other extension gets ours") << "Groove.txt"
                                               << "Groove.txt.AC7" << false;
    QTest::newRow("empty name refused") << "   "
                                        << "Beat.AC7" << false;
    QTest::newRow("bare extension refused") << ".AC7"
                                            << "Beat.AC7" << false;
    QTest::newRow("slash refused") << "a/b"
                                   << "Beat.AC7" << false;
    QTest::newRow("unchanged") << "Beat.AC7"
                               << "Beat.AC7" << false;
    QTest::newRow("existing name refused") << "Other"
                                           << "Beat.AC7" << true;
}

void tst_LocalTreeView::rename() {
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(bool, errorShown);

    QVERIFY(writeFile(QDir(listed).filePath("Beat.AC7"), "beat"));
    QVERIFY(writeFile(QDir(listed).filePath("Other.AC7"), "other"));
    view->reload(RhythmDataCategory::instance());
    QSignalSpy renamed(view.get(), &LocalTreeView::fileRenamed);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));

    const QModelIndex index = rowNamed(*view, "Beat.AC7");
    QAbstractItemDelegate* delegate = view->itemDelegateForIndex(index);
    std::unique_ptr<QWidget> editor(
        delegate->createEditor(view->viewport(), QStyleOptionViewItem(), index));
    auto* line = qobject_cast<QLineEdit*>(editor.get());
    QVERIFY(line);
    delegate->setEditorData(line, index);
    QCOMPARE(line->selectedText(), QStringLiteral("Beat"));
    line->setText(typed);
    delegate->setModelData(line, view->model(), index);
    deliverRequests();

    const bool changed = expected != QStringLiteral("Beat.AC7");
    QCOMPARE(renamed.size(), changed ? 1 : 0);
    QCOMPARE(readFile(QDir(listed).filePath(expected)), QByteArray("beat"));
    QCOMPARE(readFile(QDir(listed).filePath("Other.AC7")), QByteArray("other"));
    QCOMPARE(filesIn(listed).size(), 2);
    QVERIFY(rowNamed(*view, expected).isValid());
    QCOMPARE(rowNamed(*view, expected).data(LocalTreeView::PathRole).toString(),
             QDir(listed).filePath(expected));
    QCOMPARE(watcher.seen().size(), errorShown ? 1 : 0);
}

void tst_LocalTreeView::deleteSelected_data() {
    QTest::addColumn<QString>("meanwhile"); // what happens to b.AC7 after it was selected
    QTest::addColumn<bool>("allGone");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("boxes");

    QTest::newRow("both deleted") << "" << true << QStringList() << 0;
    QTest::newRow("vanished file is no error") << "vanished" << true << QStringList() << 0;
    QTest::newRow("a folder is never deleted") << "folder" << false << QStringList{"b.AC7"} << 1;
}

void tst_LocalTreeView::deleteSelected() {
    QFETCH(QString, meanwhile);
    QFETCH(bool, allGone);
    QFETCH(QStringList, left);
    QFETCH(int, boxes);

    const QDir folder(listed);
    QVERIFY(writeFile(folder.filePath("a.AC7"), "x"));
    QVERIFY(writeFile(folder.filePath("b.AC7"), "x"));
    QVERIFY(writeFile(folder.filePath("c.AC7"), "x"));
    view->reload(RhythmDataCategory::instance());
    selectNames(*view, {"a.AC7", "b.AC7"});
    if (meanwhile == QLatin1String("vanished") || meanwhile == QLatin1String("folder"))
        QVERIFY(QFile::remove(folder.filePath("b.AC7")));
    if (meanwhile == QLatin1String("folder"))
        QVERIFY(folder.mkdir("b.AC7"));
    QSignalSpy deleted(view.get(), &LocalTreeView::fileDeleted);
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));

    QCOMPARE(view->deleteSelectedFile(), allGone);
    deliverRequests();

    QCOMPARE(deleted.size(), 1);
    QCOMPARE(filesIn(listed), QStringList{"c.AC7"});
    for (const QString& name : left)
        QVERIFY(QFileInfo::exists(folder.filePath(name)));
    QCOMPARE(shownNames(*view), QStringList{"c.AC7"});
    QCOMPARE(watcher.seen().size(), boxes);
}

void tst_LocalTreeView::wholeKeyboardDropAsksForBackup() {
    QSignalSpy backup(view.get(), &LocalTreeView::entiretyKeyboardDropped);
    MimeData keyboard;
    keyboard.setEntireKeyboard(true);

    QVERIFY(ViewDrop::dragAndDrop(view->viewport(), &keyboard));

    QCOMPARE(backup.size(), 1);
    QVERIFY(filesIn(listed).isEmpty());
}

void tst_LocalTreeView::filesFromOutsideAreCopiedUnderFreeNames() {
    const QString outside = work->filePath("outside");
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(writeFile(QDir(outside).filePath("Beat.AC7"), "new beat"));
    QVERIFY(writeFile(QDir(outside).filePath("Song.v2.CMS"), "song"));
    QVERIFY(writeFile(QDir(listed).filePath("Beat.AC7"), "old beat"));
    view->reload(RhythmDataCategory::instance());
    QMimeData fromOtherProgram;
    fromOtherProgram.setUrls({QUrl::fromLocalFile(QDir(outside).filePath("Beat.AC7")),
                              QUrl::fromLocalFile(QDir(outside).filePath("Song.v2.CMS"))});

    QVERIFY(ViewDrop::dragAndDrop(view->viewport(), &fromOtherProgram));

    QCOMPARE(filesIn(listed), (QStringList{"Beat(2).AC7", "Beat.AC7", "Song.v2.CMS"}));
    QCOMPARE(readFile(QDir(listed).filePath("Beat.AC7")), QByteArray("old beat"));
    QCOMPARE(readFile(QDir(listed).filePath("Beat(2).AC7")), QByteArray("new beat"));
    QCOMPARE(readFile(QDir(outside).filePath("Beat.AC7")), QByteArray("new beat"));
    // The list shows the copy at once.
    QVERIFY(rowNamed(*view, "Beat(2).AC7").isValid());
}

void tst_LocalTreeView::ownRowsAndFoldersAreNotCopied() {
    QVERIFY(writeFile(QDir(listed).filePath("Beat.AC7"), "beat"));
    const QString folder = work->filePath("a folder.AC7");
    QVERIFY(QDir().mkpath(folder));
    view->reload(RhythmDataCategory::instance());

    QMimeData sameFolder;
    sameFolder.setUrls(
        {QUrl::fromLocalFile(QDir(listed).filePath("Beat.AC7")), QUrl::fromLocalFile(folder)});
    ViewDrop::dragAndDrop(view->viewport(), &sameFolder);

    selectNames(*view, {"Beat.AC7"});
    std::unique_ptr<MimeData> own(view->createDragData());
    own->setSourceView(view.get());
    QVERIFY(!ViewDrop::dragAndDrop(view->viewport(), own.get()));

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.invalid/Beat.AC7"))});
    QVERIFY(!ViewDrop::dragAndDrop(view->viewport(), &remote));

    QCOMPARE(filesIn(listed), QStringList{"Beat.AC7"});
    QCOMPARE(QDir(listed).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
}

void tst_LocalTreeView::failedCopyLeavesNoPartialFile() {
    const QString outside = work->filePath("outside");
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(writeFile(QDir(outside).filePath("Big.AC7"), QByteArray(64 * 1024, 'b')));
    QMimeData fromOtherProgram;
    fromOtherProgram.setUrls({QUrl::fromLocalFile(QDir(outside).filePath("Big.AC7"))});
    ModalBoxWatcher watcher(ModalBoxWatcher::press(QMessageBox::Ok));
    {
        zel::qmix::testsupport::FileSizeLimit diskFull(1000);
        QVERIFY(diskFull.isActive());
        QVERIFY(ViewDrop::dragAndDrop(view->viewport(), &fromOtherProgram));
    }
    deliverRequests();

    QCOMPARE(filesIn(listed), QStringList());
    QCOMPARE(watcher.seen().size(), 1);
    QCOMPARE(watcher.seen().first().text, QStringLiteral("File Write Error"));
}

QTEST_MAIN(tst_LocalTreeView)
#include "tst_LocalTreeView.moc"
