#include "BenchEvents.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

bool BenchEvents::waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void BenchEvents::closeUnexpectedBoxes(const char* program) {
    auto* watcher = new QTimer(QCoreApplication::instance());
    QObject::connect(watcher, &QTimer::timeout, [program] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "%s: unexpected box: %s\n", program, qPrintable(box->text()));
            box->done(QMessageBox::No);
        }
    });
    watcher->start(100);
}
