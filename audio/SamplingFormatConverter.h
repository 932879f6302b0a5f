#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <vector>

namespace zel::qmix::audio {

// Changes the sampling rate of a 16-bit stereo PCM WAV file: band-limits
// before decimation, resamples every output frame by Lagrange interpolation on
// a grid of 65535 fractional positions, low-passes again after up-sampling,
// clips and truncates to 16 bits. All sample data between the steps lives in
// temporary files, so memory stays the same whatever the length of the file.
//
// One converter serves one call of convert(). It runs on the thread that
// calls convert(); cancel() and suspendChangeRequired() may come from any
// thread and are seen at the next progress report. A cancelled conversion
// leaves convert() as a thrown ConversionError{Canceled}, a temporary file
// that cannot be sized, written or read back as ConversionError{WriteFailed};
// either way every temporary file is gone by then.
class SamplingFormatConverter : public QObject {
    Q_OBJECT
public:
    enum Result {
        Converted = 0,
        InputMalformed = 3,
        InputUnreadable = 4,
        OutputUnwritable = 5,
        // Neither the WAV reader nor the keyboard lets these through: a
        // target rate below 1 Hz, or an unusable number of points.
        Unsupported = 6,
    };

    // Interpolation points the audio conversions use, and the most allowed.
    static constexpr int kDefaultPoints = 8;
    static constexpr int kMaxPoints = 16;
    // Fractional positions between two input frames.
    static constexpr int kFractionSteps = 65535;
    // 1/sqrt(2): a Butterworth response.
    static constexpr double kFilterQ = 0.7071067811865475;
    // Block size of the copies into and out of the temporary files.
    static constexpr int kBlockSize = 1048576;

    SamplingFormatConverter();
    ~SamplingFormatConverter() override;

    int convert(const QString& inputPath, const QString& outputPath, int points, int targetRate);

    // Fills the shared weight table with the Lagrange weights of `points`
    // nodes at numerator / denominator; weight k-1 belongs to node
    // k - points/2.
    static void lagrangeCoefficients(int points, int denominator, int numerator);
    // The shared weight table: kMaxPoints entries, filled from the front.
    static const double* coefficients();

    // Free space the temporary files of a conversion of `frames` input
    // frames from `inputRate` to `targetRate` need, in bytes.
    static qint64 temporaryBytesNeeded(qint64 frames, double inputRate, double targetRate,
                                       int points = kDefaultPoints);

    // The phases are traced on the standard output; a program whose output
    // others read (the command-line tool) turns it off.
    static void setTraceEnabled(bool enabled);

    bool isCanceled() const { return canceled_.load(); }
    bool isSuspended() const { return suspended_.load(); }

    // Reports progress of `phase` once per 65536 steps of `counter` (one-off
    // calls pass 0): emits progress(), waits while suspended, throws when
    // cancelled.
    void emitProgress(int phase, double fraction, qint64 counter);

signals:
    void progress(double current);

public slots:
    void cancel();
    void suspendChangeRequired(bool suspended);

private:
    struct Storage;

    int copyInput(Storage& storage, const QString& inputPath, quint32 dataOffset);
    void splitChannels(Storage& storage, double ratio, quint32 inputRate, int targetRate);
    void fillDelayLines(Storage& storage);
    qint64 interpolate(Storage& storage, double ratio);
    void lowPassAfter(Storage& storage, qint64 frames, quint32 inputRate, int targetRate);
    void quantize(Storage& storage, qint64 frames);
    int writeOutput(Storage& storage, qint64 frames, int targetRate, const QString& outputPath);

    std::atomic<bool> canceled_{false};
    std::atomic<bool> suspended_{false};
    std::vector<char> buffer_;
};

} // namespace zel::qmix::audio
