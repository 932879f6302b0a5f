#pragma once

#include "file/AbstractFile.h"

namespace zel::qmix::file {

// A rhythm (.AC7, .Z00, .CKF). Rhythms have no common header; they come in
// several forms, told apart by their first bytes:
//   native  "AC07", total length as LE int32 at offset 4
//   wrapped "ACZF", a 276-byte header in front of a raw rhythm
//   library "TAVRO Music Lib", a 64-byte header; BE uint16 at offset 18 is
//           the length behind it, BE uint16 at offset 22 must be 11
//   raw     more than 18 bytes, total length as LE uint16 at offset 0
class RhythmDataFile : public AbstractFile {
public:
    enum Form {
        NativeForm = 0,
        WrappedForm = 1,
        LibraryForm = 2,
        RawForm = 3,
        InvalidForm = 4,
    };

    static constexpr int kWrapperSize = 276;
    static constexpr int kLibraryHeaderSize = 64;

    RhythmDataFile();

    void initialize() override;
    // Keeps native and raw images as they are and strips the header of
    // wrapped and library images; an image of no known form leaves the
    // object empty.
    int fromByteArray(const QByteArray& bytes) override;
    // Writes a native payload as it is and a raw one wrapped.
    int toByteArray(QByteArray& out) const override;
    bool isValid() const override;
    QString className() const override;

    static Form rhythmForm(const QByteArray& bytes);

    // The form of the rhythm held: native or raw for a sound rhythm, since
    // wrapped and library images are unpacked when they are read.
    Form form() const;

private:
    static bool isNative(const QByteArray& bytes);
    static bool isLibrary(const QByteArray& bytes);
    static bool isRaw(const QByteArray& bytes);
    static QByteArray wrapperFor(const QByteArray& raw);
};

} // namespace zel::qmix::file
