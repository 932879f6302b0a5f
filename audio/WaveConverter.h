#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QString>

#include <atomic>
#include <mutex>

class QFile;

namespace zel::qmix::audio {

class SamplingFormatConverter;

// Turns a PCM WAV file into the keyboard's format one property at a time:
// bit depth (with dither when narrowing), channel count, sampling rate, and
// level. Each conversion reads one WAV file and writes a new one; inputs are
// only ever read, so write-protected files convert as well.
//
// Results of all four conversions: see Result. A result of NothingToDo means
// the output was not written and the input is already what was asked for.
// Besides its results a conversion throws ConversionError: WriteFailed when
// the output cannot be sized or written, ReadFailed when the input stops
// being readable half way, and (sampling rate only) Canceled.
//
// The conversions run on one thread; cancel() and suspendChangeRequired()
// may be called from any other and are seen once per MiB of input (by a
// sampling-rate conversion at its next progress report).
class WaveConverter : public QObject {
    Q_OBJECT
public:
    enum Result {
        Converted = 0,
        NothingToDo = 1,
        Canceled = 2,
        InputMalformed = 3,
        InputUnreadable = 4,
        OutputUnwritable = 5,
        Unsupported = 6,
    };

    explicit WaveConverter(QObject* parent = nullptr);
    ~WaveConverter() override;

    int convertBitDepth(const QString& input, const QString& output, int targetBits);
    int normalize(const QString& input, const QString& output);
    int convertToStereo(const QString& input, const QString& output);
    int convertSamplingRate(const QString& input, const QString& output, int targetRate);

    // Stops the running conversion at its next check, and every later one at
    // its first. There is no way back: a cancelled converter stays cancelled.
    void cancel();
    bool isCanceled() const { return canceled_.load(); }
    bool isSuspended() const { return suspended_.load(); }

    // Signals wired (directly) to the cancel() and suspendChangeRequired(bool)
    // slots of each sampling-rate converter this object creates; `signal` as
    // made by SIGNAL(). Optional: cancel() and suspendChangeRequired() reach a
    // running sampling-rate conversion without them.
    void setCancelSource(QObject* sender, const char* signal);
    void setSuspendSource(QObject* sender, const char* signal);

    // Restarts the dither's random sequence; the constructor seeds it with
    // the millisecond part of the current time.
    void seedDither(quint32 seed);

signals:
    void progress(double current);

public slots:
    void suspendChangeRequired(bool suspended);

private:
    class ActiveRateConversion;

    // Emits progress at every MiB of input, waits while suspended; false
    // when the conversion is to stop.
    bool checkpoint(qint64 dataPosition, double fraction);
    double ditherOffset();

    std::atomic<bool> canceled_{false};
    QPointer<QObject> cancelSender_;
    QByteArray cancelSignal_;
    std::atomic<bool> suspended_{false};
    QPointer<QObject> suspendSender_;
    QByteArray suspendSignal_;
    QRandomGenerator random_;

    // The sampling-rate converter at work, so that cancel and suspend reach
    // it from other threads.
    std::mutex rateConverterMutex_;
    SamplingFormatConverter* rateConverter_ = nullptr;
};

} // namespace zel::qmix::audio
