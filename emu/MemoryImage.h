#pragma once

#include "emu/KeyboardMemory.h"

#include <QByteArray>
#include <QString>

namespace zel::qmix::emu {

// The keyboard's memory as one byte string: what a complete backup carries
// (padded with zeros to the model's backup size) and what the state folder
// keeps. Layout, all numbers little-endian:
//   0  "THKM"                4  format version (u16, 1)
//   6  model name (8 ASCII)  14 area count (u32)   18 parameter count (u32)
//   22 area records: category (u8), area (u16), size (u32), the data
//      parameter records: category (u8), sub-address (u8), address number
//      (u16), indexes 0..3 (u16 each), id (u16), element (u16), value (i32)
//   then the CRC-32 (u32) of everything before it, then zero padding.
class MemoryImage {
public:
    static constexpr int FORMAT_VERSION = 1;
    static constexpr int HEADER_SIZE = 22;
    static constexpr int AREA_RECORD_HEADER_SIZE = 7;
    static constexpr int PARAMETER_RECORD_SIZE = 20;
    static constexpr int CHECKSUM_SIZE = 4;

    static QByteArray encode(const KeyboardMemory& memory);
    static qint64 encodedSize(const KeyboardMemory& memory);
    // encode() padded with zeros to the model's backup size.
    static QByteArray backupImage(const KeyboardMemory& memory);

    // Accepts only a complete, intact image whose every area exists on
    // `model` and whose contents fit the model's memory; `out` is untouched
    // on failure and `error` says why.
    static bool decode(const QByteArray& image, const data::KeyboardInfo* model,
                       KeyboardMemory& out, QString* error = nullptr);
};

} // namespace zel::qmix::emu
