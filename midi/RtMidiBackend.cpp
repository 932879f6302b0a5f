#include "midi/RtMidiBackend.h"

#include "midi/JackClient.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <chrono>
#include <cstdarg>
#include <mutex>
#include <thread>
#include <vector>

namespace zel::qmix::midi {

namespace {

// A few JACK periods at any usual buffer size.
constexpr std::chrono::milliseconds JACK_RELEASE_DELAY(50);
// A busy JACK server turns clients away now and then, in short bursts while
// other clients come and go; such a refusal is tried again for a while.
constexpr int JACK_CONNECT_ATTEMPTS = 25;
constexpr std::chrono::milliseconds JACK_RETRY_DELAY(10);

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
void ignoreJackMessage(const char*) {}
void ignoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

bool isFailure(RtMidiError::Type type) {
    return type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING;
}

void noteRtMidiComplaint(RtMidiError::Type, const std::string&, void* complained) {
    *static_cast<bool*>(complained) = true;
}

void noteRtMidiFailure(RtMidiError::Type type, const std::string&, void* failed) {
    if (isFailure(type))
        *static_cast<bool*>(failed) = true;
}

// ALSA and JACK print their complaints about a missing service themselves;
// this program reports such a service as having no ports instead.
void silenceLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(&ignoreAlsaError);
        jack_set_error_function(&ignoreJackMessage);
        jack_set_info_function(&ignoreJackMessage);
    });
}

RtMidi::Api rtMidiApi(MidiApi api) {
    switch (api) {
    case MidiApi::AlsaSequencer:
        return RtMidi::LINUX_ALSA;
    case MidiApi::Jack:
        return RtMidi::UNIX_JACK;
    case MidiApi::Wire:
        break;
    }
    return RtMidi::UNSPECIFIED;
}

bool isCompiled(RtMidi::Api api) {
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    for (RtMidi::Api each : compiled) {
        if (each == api)
            return true;
    }
    return false;
}

// RtMidi prints before it throws when a service fails to start, so the
// service is tried first without RtMidi.
bool alsaSequencerStarts() {
    snd_seq_t* sequencer = nullptr;
    if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0)
        return false;
    snd_seq_close(sequencer);
    return true;
}

// Whether a JACK server answers, asked by a client of its own that has no
// port: the virtual ports are RtMidi's clients, and a program that has only
// those should not keep a client of ours besides.
bool jackServerAnswers() {
    const QByteArray name = RtMidiBackend::clientName().toUtf8();
    for (int attempt = 1;; ++attempt) {
        jack_status_t status = jack_status_t(0);
        if (jack_client_t* client =
                jack_client_open(name.constData(), JackNoStartServer, &status)) {
            jack_client_close(client);
            return true;
        }
        if (!(status & JackServerError) || attempt == JACK_CONNECT_ATTEMPTS)
            return false;
        std::this_thread::sleep_for(JACK_RETRY_DELAY);
    }
}

// RtMidi's JACK client connects to the server when it is made and, failing
// that, again whenever it is asked for ports; a failure only shows as a
// complaint to the error callback.
template <typename Client> bool jackClientConnects(Client& midi) {
    for (int attempt = 1;; ++attempt) {
        bool complained = false;
        midi.setErrorCallback(&noteRtMidiComplaint, &complained);
        midi.getPortCount();
        midi.setErrorCallback(&ignoreRtMidiError, nullptr);
        if (!complained)
            return true;
        if (attempt == JACK_CONNECT_ATTEMPTS)
            return false;
        std::this_thread::sleep_for(JACK_RETRY_DELAY);
    }
}

template <typename Client>
std::unique_ptr<Client> createClient(MidiApi api, const QString& client) {
    silenceLibraries();
    if (!isCompiled(rtMidiApi(api)))
        return nullptr;
    if (api == MidiApi::AlsaSequencer ? !alsaSequencerStarts() : !jackServerAnswers())
        return nullptr;
    try {
        auto midi = std::make_unique<Client>(rtMidiApi(api), client.toStdString());
        midi->setErrorCallback(&ignoreRtMidiError, nullptr);
        if (midi->getCurrentApi() != rtMidiApi(api))
            return nullptr;
        if (api == MidiApi::Jack && !jackClientConnects(*midi))
            return nullptr;
        return midi;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

template <typename Client> QStringList portNames(MidiApi api) {
    QStringList names;
    std::unique_ptr<Client> midi = createClient<Client>(api, RtMidiBackend::clientName());
    if (!midi)
        return names;
    try {
        const unsigned int count = midi->getPortCount();
        for (unsigned int i = 0; i < count; ++i)
            names.append(QString::fromStdString(midi->getPortName(i)));
    } catch (const RtMidiError&) {
        names.clear();
    }
    return names;
}

template <typename Client> void disposeClient(std::unique_ptr<Client> midi, MidiApi api) {
    if (!midi)
        return;
    try {
        midi->closePort();
    } catch (const RtMidiError&) {
    }
    // isPortOpen() is false for a virtual port, so every JACK client waits.
    if (api == MidiApi::Jack)
        std::this_thread::sleep_for(JACK_RELEASE_DELAY);
    midi.reset();
}

} // namespace

QString RtMidiBackend::clientName() {
    return QStringLiteral("ToneHarbour");
}

QList<MidiApi> RtMidiBackend::runningApis() {
    QList<MidiApi> apis;
    for (MidiApi api : {MidiApi::AlsaSequencer, MidiApi::Jack}) {
        if (isRunning(api))
            apis.append(api);
    }
    return apis;
}

bool RtMidiBackend::isRunning(MidiApi api) {
    silenceLibraries();
    // The program's own JACK ports do without RtMidi.
    if (api != MidiApi::Jack && !isCompiled(rtMidiApi(api)))
        return false;
    switch (api) {
    case MidiApi::AlsaSequencer:
        return alsaSequencerStarts();
    case MidiApi::Jack:
        return JackClient::instance() != nullptr;
    case MidiApi::Wire:
        break;
    }
    return false;
}

QStringList RtMidiBackend::inputPortNames(MidiApi api) {
    if (api == MidiApi::Jack) {
        const std::shared_ptr<JackClient> client = JackClient::instance();
        return client ? client->portNames(JackPortIsOutput) : QStringList();
    }
    return portNames<RtMidiIn>(api);
}

QStringList RtMidiBackend::outputPortNames(MidiApi api) {
    if (api == MidiApi::Jack) {
        const std::shared_ptr<JackClient> client = JackClient::instance();
        return client ? client->portNames(JackPortIsInput) : QStringList();
    }
    return portNames<RtMidiOut>(api);
}

std::unique_ptr<RtMidiIn> RtMidiBackend::createIn(MidiApi api, const QString& client) {
    return createClient<RtMidiIn>(api, client);
}

std::unique_ptr<RtMidiOut> RtMidiBackend::createOut(MidiApi api, const QString& client) {
    return createClient<RtMidiOut>(api, client);
}

int RtMidiBackend::findPort(RtMidi& midi, const QString& name) {
    try {
        const unsigned int count = midi.getPortCount();
        for (unsigned int i = 0; i < count; ++i) {
            if (QString::fromStdString(midi.getPortName(i)) == name)
                return int(i);
        }
    } catch (const RtMidiError&) {
    }
    return -1;
}

bool RtMidiBackend::openVirtualPort(RtMidi& midi, const QString& port) {
    // RtMidi reports a failed virtual port only through its error callback.
    bool failed = false;
    midi.setErrorCallback(&noteRtMidiFailure, &failed);
    try {
        midi.openVirtualPort(port.toStdString());
    } catch (const RtMidiError&) {
        failed = true;
    }
    midi.setErrorCallback(&ignoreRtMidiError, nullptr);
    return !failed;
}

bool RtMidiBackend::awaitConnection(MidiApi api, const QString& target, const QString& ownPort) {
    if (api != MidiApi::Jack)
        return true;
    const std::shared_ptr<JackClient> client = JackClient::instance();
    return client && client->awaitConnection(target, client->name() + QLatin1Char(':') + ownPort);
}

void RtMidiBackend::dispose(std::unique_ptr<RtMidiIn> midi, MidiApi api) {
    disposeClient(std::move(midi), api);
}

void RtMidiBackend::dispose(std::unique_ptr<RtMidiOut> midi, MidiApi api) {
    disposeClient(std::move(midi), api);
}

} // namespace zel::qmix::midi
