#include "app/TabScreenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace zel::qmix::gui {

TabScreenshots::TabScreenshots(QWidget* window, QTabWidget* tabs, const QString& folder,
                               QObject* parent)
    : QObject(parent)
    , window_(window)
    , tabs_(tabs)
    , folder_(folder) {}

void TabScreenshots::start() {
    QDir().mkpath(folder_);
    // The first tab gets longer: the window connects and loads its areas.
    QTimer::singleShot(SettleMs * 2, this, [this] { showTab(0); });
}

void TabScreenshots::showTab(int index) {
    if (index >= tabs_->count()) {
        QCoreApplication::exit(failures_ == 0 ? 0 : 1);
        return;
    }
    tabs_->setCurrentIndex(index);
    QTimer::singleShot(SettleMs, this, [this, index] {
        capture(index);
        showTab(index + 1);
    });
}

void TabScreenshots::capture(int index) {
    const QString path = QDir(folder_).filePath(fileName(index));
    if (window_->grab().save(path, "PNG")) {
        std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
    } else {
        ++failures_;
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
    }
    std::fflush(stdout);
}

QString TabScreenshots::fileName(int index) const {
    QString title = tabs_->tabText(index).toLower();
    title.replace(QLatin1Char(' '), QLatin1Char('-'));
    title.remove(QLatin1Char('&'));
    return QStringLiteral("%1-%2.png").arg(index + 1).arg(title);
}

} // namespace zel::qmix::gui
