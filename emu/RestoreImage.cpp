#include "emu/RestoreImage.h"

#include <algorithm>

namespace zel::qmix::emu {

RestoreImage::RestoreImage(const ModelLayout& layout)
    : layout_(layout) {}

void RestoreImage::reset() {
    image_.clear();
}

void RestoreImage::writeBlock(int block, const QByteArray& data) {
    const QList<int> sizes = layout_.blockSizes();
    if (block < 0 || block >= sizes.size())
        return;
    if (image_.isEmpty())
        image_ = QByteArray(qsizetype(layout_.imageCapacity()), '\0');
    const qsizetype offset = qsizetype(layout_.blockOffset(block));
    const qsizetype length = std::min<qsizetype>(data.size(), sizes.at(block));
    // A block sent again replaces all of its earlier contents.
    std::fill(image_.begin() + offset, image_.begin() + offset + sizes.at(block), '\0');
    std::copy_n(data.constData(), length, image_.begin() + offset);
}

bool RestoreImage::isLastBlock(int block) const {
    return block == layout_.blockSizes().size() - 1;
}

QByteArray RestoreImage::image() const {
    return image_.isEmpty() ? QByteArray(qsizetype(layout_.imageCapacity()), '\0') : image_;
}

} // namespace zel::qmix::emu
