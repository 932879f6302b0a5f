#include "midi/RtMidiBackend.h"

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

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
void ignoreJackMessage(const char*) {}
void ignoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

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

bool jackServerRuns() {
    jack_status_t status;
    jack_client_t* client = jack_client_open(RtMidiBackend::clientName().toUtf8().constData(),
                                             JackNoStartServer, &status);
    if (!client)
        return false;
    jack_client_close(client);
    return true;
}

template <typename Client>
std::unique_ptr<Client> createClient(MidiApi api, const QString& client) {
    if (!RtMidiBackend::isRunning(api))
        return nullptr;
    try {
        auto midi = std::make_unique<Client>(rtMidiApi(api), client.toStdString());
        midi->setErrorCallback(&ignoreRtMidiError, nullptr);
        if (midi->getCurrentApi() != rtMidiApi(api))
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
    const bool hadPort = midi->isPortOpen();
    try {
        midi->closePort();
    } catch (const RtMidiError&) {
    }
    if (hadPort && api == MidiApi::Jack)
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
    if (!isCompiled(rtMidiApi(api)))
        return false;
    switch (api) {
    case MidiApi::AlsaSequencer:
        return alsaSequencerStarts();
    case MidiApi::Jack:
        return jackServerRuns();
    case MidiApi::Wire:
        break;
    }
    return false;
}

QStringList RtMidiBackend::inputPortNames(MidiApi api) {
    return portNames<RtMidiIn>(api);
}

QStringList RtMidiBackend::outputPortNames(MidiApi api) {
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

void RtMidiBackend::dispose(std::unique_ptr<RtMidiIn> midi, MidiApi api) {
    disposeClient(std::move(midi), api);
}

void RtMidiBackend::dispose(std::unique_ptr<RtMidiOut> midi, MidiApi api) {
    disposeClient(std::move(midi), api);
}

} // namespace zel::qmix::midi
