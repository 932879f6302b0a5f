#pragma once

#include "emu/ModelLayout.h"

#include <QByteArray>

namespace zel::qmix::emu {

// The backup blocks of a restore, put together at their places in the
// memory image until the last block has arrived.
class RestoreImage {
public:
    explicit RestoreImage(const ModelLayout& layout);

    void reset();
    // Data longer than the block are cut to it; the caller refuses those first.
    void writeBlock(int block, const QByteArray& data);
    bool isLastBlock(int block) const;
    // The image so far; blocks not received read as zeros.
    QByteArray image() const;

private:
    ModelLayout layout_;
    QByteArray image_;
};

} // namespace zel::qmix::emu
