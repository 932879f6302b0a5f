#include "data/DataCategory.h"
#include "data/KeyboardInfo.h"
#include "data/MimeData.h"
#include "data/RegistrationDataCategory.h"
#include "data/RhythmDataCategory.h"
#include "data/ScaleDataCategory.h"
#include "gui/DataCategoryComboBox.h"
#include "gui/DataCategoryComboBoxForPackage.h"
#include "gui/DirectoryDialogToolButton.h"
#include "gui/LocalTreeView.h"
#include "gui/PathLineEdit.h"
#include "gui/ReloadButton.h"
#include "gui/SizeTexts.h"
#include "gui/TrashButton.h"
#include "gui/TrashLabel.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using zel::qmix::data::const_DataCategory;
using zel::qmix::data::DataCategory;
using zel::qmix::data::KeyboardInfo;
using zel::qmix::data::MimeData;
using zel::qmix::data::RegistrationDataCategory;
using zel::qmix::data::RhythmDataCategory;
using zel::qmix::data::ScaleDataCategory;
using zel::qmix::gui::DataCategoryComboBox;
using zel::qmix::gui::DataCategoryComboBoxForPackage;
using zel::qmix::gui::DirectoryDialogToolButton;
using zel::qmix::gui::LocalTreeView;
using zel::qmix::gui::PathLineEdit;
using zel::qmix::gui::ReloadButton;
using zel::qmix::gui::SizeTexts;
using zel::qmix::gui::TrashButton;
using zel::qmix::gui::TrashLabel;

namespace {

// A list of a folder of the test's own.
class FolderView : public LocalTreeView {
public:
    QDir folder;
    QDir listedDirectory() const override { return folder; }
};

// The folder dialog answered by the test.
class AnsweredBrowseButton : public DirectoryDialogToolButton {
public:
    QString answer;
    QStringList askedAt;

protected:
    QString askDirectory(const QString& startPath) override {
        askedAt.append(startPath);
        return answer;
    }
};

bool enter(QWidget* target, const QMimeData* mime) {
    QDragEnterEvent event(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted();
}

void leave(QWidget* target) {
    QDragLeaveEvent event;
    QCoreApplication::sendEvent(target, &event);
}

void drop(QWidget* target, const QMimeData* mime) {
    QDropEvent event(QPointF(2, 2), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

QStringList itemTexts(const QComboBox& box) {
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts.append(box.itemText(i));
    return texts;
}

KeyboardInfo* model(const char* name) {
    KeyboardInfo* found = KeyboardInfo::find(QString::fromLatin1(name));
    Q_ASSERT(found);
    return found;
}

const DataCategory* emittedCategory(const QSignalSpy& spy, int i) {
    return spy.at(i).at(0).value<const_DataCategory*>();
}

} // namespace

class tst_SmallWidgets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void trashLabel_data();
    void trashLabel();
    void trashButtonHandsDeletableDragsBack();
    void accessibleNames();

    void pathTextIsShownNativeAndReportedOnce();
    void typingReportsTheTypedText();
    void browse_data();
    void browse();
    void reloadButton();
    void megabyteTexts_data();
    void megabyteTexts();

    void comboOffersTheModelsCategories();
    void reloadKeepsTheSelectionAndReportsItAgain();
    void reloadForAModelWithoutTheSelectedCategory();
    void changesDuringReloadAreNotReported();
    void reEmittingWithoutSelection();
    void packageComboFollowsItsModelSource();
};

void tst_SmallWidgets::initTestCase() {
    DataCategory::registerMetaTypes();
}

void tst_SmallWidgets::trashLabel_data() {
    QTest::addColumn<QString>("drag");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("files of a list") << "files" << true;
    QTest::newRow("areas that cannot be deleted") << "registration" << false;
    QTest::newRow("another application") << "foreign" << false;
    QTest::newRow("not from a list") << "keyboard" << false;
}

void tst_SmallWidgets::trashLabel() {
    QFETCH(QString, drag);
    QFETCH(bool, accepted);

    QVERIFY(QDir().mkpath(QDir::homePath()));
    QTemporaryDir work(QDir::home().filePath(QStringLiteral("trash-XXXXXX")));
    QVERIFY(work.isValid());
    QFile file(work.filePath("Beat.AC7"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    FolderView view;
    view.folder = QDir(work.path());
    view.reload(RhythmDataCategory::instance());
    view.selectAll();
    QSignalSpy deleted(&view, &LocalTreeView::fileDeleted);

    std::unique_ptr<QMimeData> mime;
    if (drag == QLatin1String("foreign")) {
        mime = std::make_unique<QMimeData>();
        mime->setUrls({QUrl::fromLocalFile(file.fileName())});
    } else {
        auto ours = std::make_unique<MimeData>();
        ours->setUrls({QUrl::fromLocalFile(file.fileName())});
        if (drag == QLatin1String("registration")) {
            ours->setCategory(RegistrationDataCategory::instance());
            ours->setAreaNumbers({0});
            ours->setDeletable(RegistrationDataCategory::instance()->isDeletable());
        }
        if (drag == QLatin1String("keyboard"))
            ours->setEntireKeyboard(true);
        else
            ours->setSourceView(&view);
        mime = std::move(ours);
    }

    TrashLabel trash;
    QVERIFY(!trash.isArmed());
    QCOMPARE(enter(&trash, mime.get()), accepted);
    QCOMPARE(trash.isArmed(), accepted);
    leave(&trash);
    QVERIFY(!trash.isArmed());

    enter(&trash, mime.get());
    drop(&trash, mime.get());
    QVERIFY(!trash.isArmed());
    QCOMPARE(deleted.size(), accepted ? 1 : 0);
    QCOMPARE(QFileInfo::exists(file.fileName()), !accepted);
}

void tst_SmallWidgets::trashButtonHandsDeletableDragsBack() {
    QVERIFY(QDir().mkpath(QDir::homePath()));
    QTemporaryDir work(QDir::home().filePath(QStringLiteral("trash-XXXXXX")));
    QVERIFY(work.isValid());
    QFile file(work.filePath("Beat.AC7"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    FolderView view;
    view.folder = QDir(work.path());
    view.reload(RhythmDataCategory::instance());
    view.selectAll();
    QSignalSpy deleted(&view, &LocalTreeView::fileDeleted);
    TrashButton trash;

    MimeData locked;
    locked.setSourceView(&view);
    locked.setDeletable(false);
    QVERIFY(enter(&trash, &locked));
    QVERIFY(trash.isChecked());
    leave(&trash);
    QVERIFY(!trash.isChecked());
    QVERIFY(!trash.isCheckable());
    enter(&trash, &locked);
    drop(&trash, &locked);
    QCOMPARE(deleted.size(), 0);

    MimeData files;
    files.setSourceView(&view);
    enter(&trash, &files);
    drop(&trash, &files);
    QVERIFY(!trash.isChecked());
    QVERIFY(!trash.isCheckable());
    QCOMPARE(deleted.size(), 1);
    QVERIFY(!QFileInfo::exists(file.fileName()));
}

void tst_SmallWidgets::accessibleNames() {
    TrashLabel label;
    TrashButton button;
    ReloadButton reload;
    DirectoryDialogToolButton browse;
    PathLineEdit path;
    DataCategoryComboBox box;
    QCOMPARE(label.toolTip(), QStringLiteral("Trash Box"));
    QCOMPARE(label.accessibleName(), QStringLiteral("Trash Box"));
    QCOMPARE(button.accessibleName(), QStringLiteral("Trash Box"));
    QCOMPARE(reload.toolTip(), QStringLiteral("Reload"));
    QCOMPARE(reload.accessibleName(), QStringLiteral("Reload"));
    QCOMPARE(browse.text(), QStringLiteral("Browse..."));
    QCOMPARE(browse.accessibleName(), QStringLiteral("Browse..."));
    QVERIFY(!path.accessibleName().isEmpty());
    QVERIFY(!box.accessibleName().isEmpty());
}

void tst_SmallWidgets::pathTextIsShownNativeAndReportedOnce() {
    PathLineEdit edit;
    QSignalSpy reported(&edit, &PathLineEdit::textChangedOriginal);

    edit.setPathText(QStringLiteral("D:/Music/Data"));

    QCOMPARE(edit.text(), QDir::toNativeSeparators(QStringLiteral("D:/Music/Data")));
    QCOMPARE(reported.size(), 1);
    QCOMPARE(reported.first().at(0).toString(), QStringLiteral("D:/Music/Data"));
    QCOMPARE(edit.property("rawPath").toString(), QStringLiteral("D:/Music/Data"));

    // The same path again is reported again (the settings may have moved on),
    // still once.
    edit.setPathText(QStringLiteral("D:/Music/Data"));
    QCOMPARE(reported.size(), 2);
}

void tst_SmallWidgets::typingReportsTheTypedText() {
    PathLineEdit edit;
    edit.setPathText(QStringLiteral("/data"));
    QSignalSpy reported(&edit, &PathLineEdit::textChangedOriginal);

    QTest::keyClicks(&edit, QStringLiteral("/x"));

    QCOMPARE(reported.size(), 2);
    QCOMPARE(reported.last().at(0).toString(), QStringLiteral("/data/x"));
}

void tst_SmallWidgets::browse_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("reported");

    QTest::newRow("a folder") << "folder" << true;
    QTest::newRow("cancelled") << "" << false;
    QTest::newRow("no folder") << "missing" << false;
}

void tst_SmallWidgets::browse() {
    QFETCH(QString, answer);
    QFETCH(bool, reported);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    QVERIFY(QDir(work.path()).mkdir("folder"));
    AnsweredBrowseButton button;
    PathLineEdit edit;
    QObject::connect(&button, &DirectoryDialogToolButton::gotDirectoryPath, &edit,
                     &PathLineEdit::setPathText);
    QObject::connect(&edit, &PathLineEdit::textChangedOriginal, &button,
                     &DirectoryDialogToolButton::setDefaultPath);
    edit.setPathText(work.path());
    QSignalSpy got(&button, &DirectoryDialogToolButton::gotDirectoryPath);
    button.answer = answer.isEmpty() ? QString() : work.filePath(answer);

    QTest::mouseClick(&button, Qt::LeftButton);

    QCOMPARE(button.askedAt, QStringList{work.path()});
    QCOMPARE(got.size(), reported ? 1 : 0);
    QCOMPARE(edit.rawPath(), reported ? work.filePath(answer) : work.path());
    QCOMPARE(button.defaultPath(), edit.rawPath());
}

void tst_SmallWidgets::megabyteTexts_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<int>("megabytes");
    QTest::newRow("nothing") << qint64(0) << 0;
    QTest::newRow("one byte") << qint64(1) << 1;
    QTest::newRow("300 KB") << qint64(300 * 1024) << 1;
    QTest::newRow("just under 2 MiB") << qint64(2 * 1048576 - 1) << 1;
    QTest::newRow("5,500,000 bytes") << qint64(5500000) << 5;
    QTest::newRow("beyond 2 GiB") << qint64(3) * 1024 * 1048576 << 3072;
}

void tst_SmallWidgets::megabyteTexts() {
    QFETCH(qint64, bytes);
    QFETCH(int, megabytes);
    QCOMPARE(SizeTexts::megabytes(bytes), megabytes);
    QCOMPARE(SizeTexts::megabytesText(bytes),
             QLocale::system().toString(megabytes) + QStringLiteral(" MB"));
}

void tst_SmallWidgets::reloadButton() {
    ReloadButton button;
    QSignalSpy requested(&button, &ReloadButton::requested);
    QSignalSpy clicked(&button, &ReloadButton::clicked);

    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(requested.size(), 1);
    button.request();
    QCOMPARE(requested.size(), 2);
    QCOMPARE(clicked.size(), 1);
}

void tst_SmallWidgets::comboOffersTheModelsCategories() {
    KeyboardInfo::setCurrentModel(model("PRV-1100"));
    DataCategoryComboBox box;
    box.setProperty("categoryMask", QStringList{QStringLiteral("ALL")});
    QSignalSpy changed(&box, &DataCategoryComboBox::currentCategoryChanged);

    box.reload();

    QCOMPARE(itemTexts(box), (QStringList{"Tone", "DSP", "Rhythm", "Song Sequencer", "Music Preset",
                                          "Registration"}));
    QCOMPARE(box.categoryMask(), QStringList{QStringLiteral("ALL")});
    QCOMPARE(box.itemData(2, Qt::UserRole).value<const_DataCategory*>(),
             RhythmDataCategory::instance());
    QCOMPARE(box.itemData(2, Qt::UserRole).metaType(),
             QMetaType::fromName("zel::qmix::data::const_DataCategory*"));
    // The first fill reports its first category.
    QCOMPARE(changed.size(), 1);
    QCOMPARE(emittedCategory(changed, 0)->displayName(), QStringLiteral("Tone"));

    DataCategoryComboBox unmasked;
    unmasked.reload();
    QCOMPARE(unmasked.itemText(unmasked.count() - 1), QStringLiteral("All"));
}

void tst_SmallWidgets::reloadKeepsTheSelectionAndReportsItAgain() {
    KeyboardInfo::setCurrentModel(model("PRV-1100"));
    DataCategoryComboBox box;
    box.setCategoryMask({QStringLiteral("ALL")});
    box.reload();
    box.setCurrentIndex(2);
    QCOMPARE(box.currentCategory(), RhythmDataCategory::instance());
    QSignalSpy changed(&box, &DataCategoryComboBox::currentCategoryChanged);

    KeyboardInfo::setCurrentModel(model("PRV-1200"));
    box.reload();

    QCOMPARE(box.currentText(), QStringLiteral("Rhythm"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(emittedCategory(changed, 0), RhythmDataCategory::instance());
}

void tst_SmallWidgets::reloadForAModelWithoutTheSelectedCategory() {
    KeyboardInfo::setCurrentModel(model("QS-1"));
    DataCategoryComboBox box;
    box.setCategoryMask({QStringLiteral("ALL")});
    box.reload();
    box.setCurrentIndex(box.findText(QStringLiteral("Scale Memory")));
    QCOMPARE(box.currentCategory(), ScaleDataCategory::instance());
    QSignalSpy changed(&box, &DataCategoryComboBox::currentCategoryChanged);

    KeyboardInfo::setCurrentModel(model("PRV-1100"));
    box.reload();

    // The lists follow what the box shows, rather than keep showing a
    // category the box no longer offers.
    QCOMPARE(box.currentIndex(), 0);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(emittedCategory(changed, 0)->displayName(), QStringLiteral("Tone"));
    QCOMPARE(box.currentCategory()->displayName(), QStringLiteral("Tone"));
}

void tst_SmallWidgets::changesDuringReloadAreNotReported() {
    KeyboardInfo::setCurrentModel(model("PRV-1100"));
    DataCategoryComboBox box;
    box.setCategoryMask({QStringLiteral("ALL")});
    box.reload();
    box.setCurrentIndex(2);
    QSignalSpy changed(&box, &DataCategoryComboBox::currentCategoryChanged);
    QList<int> indexChanges;
    // Every item added while filling moves the selection.
    QObject::connect(box.model(), &QAbstractItemModel::rowsInserted, &box, [&] {
        box.setCurrentIndex(box.count() - 1);
        indexChanges.append(box.currentIndex());
    });

    box.reload();

    QVERIFY(indexChanges.size() >= 6);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(emittedCategory(changed, 0), RhythmDataCategory::instance());
    QCOMPARE(box.currentText(), QStringLiteral("Rhythm"));
}

void tst_SmallWidgets::reEmittingWithoutSelection() {
    DataCategoryComboBox box;
    QSignalSpy changed(&box, &DataCategoryComboBox::currentCategoryChanged);
    box.emitCurrentCategoryChangedSignal();
    QCOMPARE(changed.size(), 0);

    box.reload(zel::qmix::data::DataCategoryList{RhythmDataCategory::instance(),
                                                 ScaleDataCategory::instance()});
    QCOMPARE(changed.size(), 1);
    box.setCurrentIndex(1);
    QCOMPARE(changed.size(), 2);
    box.emitCurrentCategoryChangedSignal();
    QCOMPARE(changed.size(), 3);
    QCOMPARE(emittedCategory(changed, 2), ScaleDataCategory::instance());
    // Out-of-range indexes report nothing.
    box.emitCurrentCategoryChangedSignal(5);
    box.emitCurrentCategoryChangedSignal(-1);
    QCOMPARE(changed.size(), 3);
}

void tst_SmallWidgets::packageComboFollowsItsModelSource() {
    KeyboardInfo::setCurrentModel(model("PRV-1100"));
    DataCategoryComboBoxForPackage box;
    box.setCategoryMask({QStringLiteral("ALL")});
    box.reload();
    QCOMPARE(box.findText(QStringLiteral("Scale Memory")), -1);

    const KeyboardInfo* packageModel = model("QS-1");
    box.setModelSource([&] { return packageModel; });
    box.reload();
    QVERIFY(box.findText(QStringLiteral("Scale Memory")) >= 0);
    QCOMPARE(box.findText(QStringLiteral("All")), -1);

    // A package of an unknown model leaves the box as it is.
    packageModel = nullptr;
    QSignalSpy changed(&box, &DataCategoryComboBox::currentCategoryChanged);
    box.reload();
    QVERIFY(box.findText(QStringLiteral("Scale Memory")) >= 0);
    QCOMPARE(changed.size(), 0);
}

QTEST_MAIN(tst_SmallWidgets)
#include "tst_SmallWidgets.moc"
