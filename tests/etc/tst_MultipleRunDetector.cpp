#include "etc/MultipleRunDetector.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <memory>

using zel::qmix::etc::MultipleRunDetector;

namespace {

const char HoldLockOption[] = "--hold-lock";
const QByteArray LockedLine = "locked";

// Run as a child of the test: takes the lock like a running copy of the
// program would, says so, and keeps it until it is killed.
int holdLock(int argc, char** argv, const char* path) {
    QCoreApplication app(argc, argv);
    MultipleRunDetector detector(nullptr, QString::fromLocal8Bit(path));
    if (detector.alreadyRunning()) {
        return 1;
    }
    std::printf("%s\n", LockedLine.constData());
    std::fflush(stdout);
    return app.exec();
}

} // namespace

class TestMultipleRunDetector : public QObject {
    Q_OBJECT

private slots:
    // Each case starts without any lock file.
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void secondDetectorSeesTheFirstWhileItLives() {
        auto first = std::make_unique<MultipleRunDetector>(nullptr, lockPath());
        QVERIFY(!first->alreadyRunning());
        {
            MultipleRunDetector second(nullptr, lockPath());
            QVERIFY(second.alreadyRunning());
        }
        // A copy that gave up must leave the first copy's lock in place.
        MultipleRunDetector third(nullptr, lockPath());
        QVERIFY(third.alreadyRunning());
        QVERIFY(QFile::exists(lockPath()));
    }

    void lockIsFreeAfterTheFirstIsDestroyed() {
        {
            MultipleRunDetector first(nullptr, lockPath());
            QVERIFY(!first.alreadyRunning());
        }
        QVERIFY(!QFile::exists(lockPath()));
        MultipleRunDetector next(nullptr, lockPath());
        QVERIFY(!next.alreadyRunning());
    }

    void parentOwnsTheDetector() {
        auto parent = std::make_unique<QObject>();
        auto* detector = new MultipleRunDetector(parent.get(), lockPath());
        QVERIFY(!detector->alreadyRunning());
        parent.reset();
        MultipleRunDetector next(nullptr, lockPath());
        QVERIFY(!next.alreadyRunning());
    }

    void liveOtherProcessHoldsTheLockAndItsKilledLockIsRecovered() {
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(),
                     {QString::fromLatin1(HoldLockOption), lockPath()});
        QVERIFY(holder.waitForStarted());
        QVERIFY2(holder.waitForReadyRead(30000), "the child did not take the lock");
        QCOMPARE(holder.readLine().trimmed(), LockedLine);

        {
            MultipleRunDetector whileAlive(nullptr, lockPath());
            QVERIFY(whileAlive.alreadyRunning());
        }

        // A crash: the child leaves its lock file behind.
        holder.kill();
        QVERIFY(holder.waitForFinished(30000));
        QVERIFY(QFile::exists(lockPath()));

        MultipleRunDetector afterCrash(nullptr, lockPath());
        QVERIFY(!afterCrash.alreadyRunning());
        MultipleRunDetector another(nullptr, lockPath());
        QVERIFY(another.alreadyRunning());
    }

    void lockThatCannotBeMadeCountsAsRunning() {
        MultipleRunDetector detector(nullptr, dir_->filePath(QStringLiteral("missing/folder/run.lock")));
        QVERIFY(detector.alreadyRunning());
    }

    void defaultLockLivesInAnExistingFolder() {
        const QFileInfo info(MultipleRunDetector::defaultLockFilePath());
        QCOMPARE(info.fileName(), QStringLiteral("tavro-zel-tone-harbour-6.0.lock"));
        QVERIFY(info.absoluteDir().exists());
    }

private:
    QString lockPath() const { return dir_->filePath(QStringLiteral("run.lock")); }

    std::unique_ptr<QTemporaryDir> dir_;
};

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], HoldLockOption) == 0) {
        return holdLock(argc, argv, argv[2]);
    }
    QCoreApplication app(argc, argv);
    TestMultipleRunDetector test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MultipleRunDetector.moc"
