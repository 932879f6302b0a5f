#pragma once

#include <QList>

#include <mutex>

namespace zel::qmix::comm {

// The areas written during a series of sends that a second-generation
// keyboard keeps open until the closing command. Nothing may come between
// the sends of an open series, so their stored sizes are checked only once
// the series is closed.
class OpenSendSeries {
public:
    struct SentArea {
        int category = 0;
        int areaNumber = 0;
        int size = 0;
    };

    // A second send to the same area replaces the first: only the last
    // one's size can be found there.
    void add(const SentArea& sent);
    QList<SentArea> takeAll();
    void clear();

private:
    std::mutex mutex_;
    QList<SentArea> areas_;
};

} // namespace zel::qmix::comm
