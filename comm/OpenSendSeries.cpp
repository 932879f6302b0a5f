#include "comm/OpenSendSeries.h"

#include <algorithm>

namespace zel::qmix::comm {

void OpenSendSeries::add(const SentArea& sent) {
    const std::lock_guard<std::mutex> lock(mutex_);
    areas_.erase(std::remove_if(areas_.begin(), areas_.end(),
                                [&](const SentArea& earlier) {
                                    return earlier.category == sent.category &&
                                           earlier.areaNumber == sent.areaNumber;
                                }),
                 areas_.end());
    areas_.append(sent);
}

QList<OpenSendSeries::SentArea> OpenSendSeries::takeAll() {
    const std::lock_guard<std::mutex> lock(mutex_);
    QList<SentArea> taken;
    taken.swap(areas_);
    return taken;
}

void OpenSendSeries::clear() {
    const std::lock_guard<std::mutex> lock(mutex_);
    areas_.clear();
}

} // namespace zel::qmix::comm
