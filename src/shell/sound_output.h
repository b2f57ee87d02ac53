#pragma once
// The window's sounds through Qt Multimedia. Every component that sounds is given a channel of
// its own (a SoundSink): the check boxes' click, the open dialog's preview of a sound file, the
// character's sounds and the message sound. Sounds start at once and play alongside each other;
// a channel's stop() ends only that channel's sounds.
//
// The system's sound output is looked for at the first sound, not before, so a run that makes no
// sound never touches it. A system without one (no sound server, no device) is silent: nothing
// waits and nothing is printed. Batch runs and tests install no output at all.

#include <QAudioDevice>
#include <QObject>
#include <memory>
#include <optional>
#include <vector>

#include "platform/sound_sink.h"
#include "platform/wave_sound.h"
#include "shell/message_routine.h"

class QWidget;

namespace kestrave {

class SoundOutput : public QObject {
    Q_OBJECT
public:
    explicit SoundOutput(QObject* parent = nullptr);
    ~SoundOutput() override;

    // A new channel, owned by the output and valid as long as the output lives.
    SoundSink& channel();
    // Sounds started and not yet over.
    int playing() const { return static_cast<int>(voices_.size()); }

protected:
    // Starts `sound` on the system's output as a voice of `channel` (see addVoice); nothing when
    // the system has no output for it.
    virtual void startVoice(int channel, const WaveSound& sound);
    // Keeps `voice`, a child of the output, as a sound of `channel` until it ends by itself
    // (finish), its channel stops it, or it has played `lengthMs` and a little more.
    void addVoice(int channel, QObject* voice, qint64 lengthMs);

private:
    class Channel;
    struct Voice {
        int channel;
        QObject* voice;
    };
    void start(int channel, const QByteArray& wave);
    void stop(int channel);
    void finish(QObject* voice);
    // Silences a voice at once.
    static void stopVoice(QObject& voice);
    bool findDevice();

    std::vector<std::unique_ptr<Channel>> channels_;
    std::vector<Voice> voices_;
    std::optional<QAudioDevice> device_;
};

// The message sound: the sound file read and played on `channel`.
MessageRoutine::SoundPlayer messageSoundPlayer(SoundSink& channel);

// Gives the window's own components their sounds: the clicks of every check box of the window and
// its tool windows go to `clicks`, the character's sounds to `character`.
void installSounds(QWidget& window, SoundSink& clicks, SoundSink& character);

}  // namespace kestrave
