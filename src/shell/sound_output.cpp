#include "shell/sound_output.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>
#include <QMetaObject>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>

#include "assistant/assistant.h"
#include "platform/wave_sound.h"
#include "shell/assistant_handlers.h"
#include "widgets/check_box.h"

namespace kestrave {
namespace {

// The message sound is a short file; anything much larger is not one.
constexpr qint64 kMaxMessageSoundBytes = 16 << 20;
// A voice is kept a little past its own length: the output still plays what it has taken in
// when it reports that it has read everything.
constexpr int kTailMs = 300;

// While the sound output is first looked for, the sound server's complaint that there is none
// (a normal state of a machine without loudspeakers) is dropped; any other message passes on.
std::atomic<QtMessageHandler> previousHandler{nullptr};

void quietAboutMissingServer(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("PulseAudio")) || text.contains(QLatin1String("audio device"))) return;
    if (const QtMessageHandler previous = previousHandler.load()) previous(type, context, text);
}

std::optional<QAudioFormat::SampleFormat> sampleFormat(const WaveSound& sound) {
    if (sound.floatSamples) return QAudioFormat::Float;
    switch (sound.bitsPerSample) {
        case 8:
            return QAudioFormat::UInt8;
        case 16:
            return QAudioFormat::Int16;
        case 32:
            return QAudioFormat::Int32;
        default:
            return std::nullopt;  // 24-bit samples: the output takes none
    }
}

}  // namespace

class SoundOutput::Channel final : public SoundSink {
public:
    Channel(SoundOutput& output, int id) : output_(output), id_(id) {}

    // From another thread the sound is handed to the output's; on its own it starts at once.
    void play(std::span<const std::uint8_t> wave) override {
        QByteArray bytes(reinterpret_cast<const char*>(wave.data()), static_cast<qsizetype>(wave.size()));
        SoundOutput* output = &output_;
        const int id = id_;
        QMetaObject::invokeMethod(output, [output, id, bytes] { output->start(id, bytes); });
    }
    void stop() override {
        SoundOutput* output = &output_;
        const int id = id_;
        QMetaObject::invokeMethod(output, [output, id] { output->stop(id); });
    }

private:
    SoundOutput& output_;
    int id_;
};

SoundOutput::SoundOutput(QObject* parent) : QObject(parent) {}

SoundOutput::~SoundOutput() {
    // The voices' sinks are children of the output and go with it; stopped first, they leave
    // nothing behind in the sound server.
    const std::vector<Voice> voices = std::move(voices_);
    voices_.clear();
    for (const Voice& voice : voices) stopVoice(*voice.voice);
}

SoundSink& SoundOutput::channel() {
    channels_.push_back(std::make_unique<Channel>(*this, static_cast<int>(channels_.size())));
    return *channels_.back();
}

bool SoundOutput::findDevice() {
    if (!device_) {
        previousHandler = qInstallMessageHandler(quietAboutMissingServer);
        device_ = QMediaDevices::defaultAudioOutput();
        qInstallMessageHandler(previousHandler.load());
    }
    return !device_->isNull();
}

void SoundOutput::start(int channel, const QByteArray& wave) {
    const std::optional<WaveSound> sound = readWave(
        {reinterpret_cast<const std::uint8_t*>(wave.constData()), static_cast<std::size_t>(wave.size())});
    if (!sound || sound->samples.empty()) return;
    startVoice(channel, *sound);
}

void SoundOutput::startVoice(int channel, const WaveSound& sound) {
    const std::optional<QAudioFormat::SampleFormat> samples = sampleFormat(sound);
    if (!samples || !findDevice()) return;
    QAudioFormat format;
    format.setSampleRate(sound.sampleRate);
    format.setChannelCount(sound.channels);
    format.setSampleFormat(*samples);
    if (!device_->isFormatSupported(format)) return;

    auto* sink = new QAudioSink(*device_, format, this);
    auto* buffer = new QBuffer(sink);
    buffer->setData(reinterpret_cast<const char*>(sound.samples.data()),
                    static_cast<qsizetype>(sound.samples.size()));
    buffer->open(QIODevice::ReadOnly);
    addVoice(channel, sink,
             format.durationForBytes(
                 static_cast<qint32>(std::min<std::size_t>(sound.samples.size(), 0x7fffffff))) /
                 1000);
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        if (state == QAudio::StoppedState) finish(sink);
    });
    sink->start(buffer);
}

void SoundOutput::stopVoice(QObject& voice) {
    if (auto* sink = qobject_cast<QAudioSink*>(&voice)) sink->stop();
}

void SoundOutput::addVoice(int channel, QObject* voice, qint64 lengthMs) {
    voices_.push_back({channel, voice});
    QTimer::singleShot(static_cast<int>(std::min<qint64>(lengthMs + kTailMs, 1 << 30)), voice,
                       [this, voice] { finish(voice); });
}

void SoundOutput::stop(int channel) {
    std::vector<QObject*> ending;
    for (const Voice& voice : voices_)
        if (voice.channel == channel) ending.push_back(voice.voice);
    for (QObject* voice : ending) finish(voice);
}

void SoundOutput::finish(QObject* voice) {
    const auto kept =
        std::find_if(voices_.begin(), voices_.end(), [voice](const Voice& v) { return v.voice == voice; });
    if (kept == voices_.end()) return;
    voices_.erase(kept);
    stopVoice(*voice);
    voice->deleteLater();
}

MessageRoutine::SoundPlayer messageSoundPlayer(SoundSink& channel) {
    return [&channel](const std::filesystem::path& file) {
        QFile sound(QString::fromStdString(file.string()));
        if (!sound.open(QIODevice::ReadOnly) || sound.size() > kMaxMessageSoundBytes) return;
        const QByteArray bytes = sound.readAll();
        channel.play({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                      static_cast<std::size_t>(bytes.size())});
    };
}

void installSounds(QWidget& window, SoundSink& clicks, SoundSink& character) {
    for (TPCheck* box : window.findChildren<TPCheck*>()) box->setSoundSink(&clicks);
    if (TAssistant* assistant = windowAssistant(window)) assistant->setSoundSink(&character);
}

}  // namespace kestrave
