// The window's sounds: every check box and the character reach their sinks, the message sound is
// its file, and the output neither waits nor speaks up on a machine without sound.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <mutex>
#include <thread>

#include "actor/assistant_director.h"
#include "assistant/assistant.h"
#include "platform/wave_sound.h"
#include "shell/assistant_handlers.h"
#include "shell/sound_output.h"
#include "shell_test_support.h"
#include "support/actor_test_file.h"
#include "support/recording_sound_sink.h"
#include "widgets/check_box.h"

namespace kestrave {
namespace {

using WindowSounds = test::ShellWindowTest;

TEST_F(WindowSounds, EveryCheckBoxClicksAndTheCharacterSoundsThroughTheWindowsSinks) {
    test::RecordingSoundSink clicks, character;
    installSounds(*form, clicks, character);
    const QList<TPCheck*> boxes = form->findChildren<TPCheck*>();
    ASSERT_GE(boxes.size(), 89);
    for (TPCheck* box : boxes) {
        EXPECT_EQ(box->soundSink(), &clicks) << box->objectName().toStdString();
        EXPECT_TRUE(box->PlayMusic()) << box->objectName().toStdString();
    }
    TPCheck* box = boxes.front();
    box->setEnabled(true);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    EXPECT_EQ(clicks.sounds.values().size(), 1u);

    // The character: a frame with a sound.
    test::TempDir dir;
    test::TestActor actor = test::minimalActor();
    const std::int16_t samples[] = {0, 100};
    actor.sounds.push_back({5, makeWave(samples, 8000)});
    actor.animations[0].frames[0].sound = 5;
    test::writeActorFile(dir.path() / "s.actor", actor);
    TAssistant& assistant = *windowAssistant(*form);
    assistant.setFastShowHide(true);
    assistant.setVisible(true);
    assistant.setActorLibrary(QString::fromStdString((dir.path() / "s.actor").string()));
    assistant.director().waitForRequest(assistant.director().playAnimation(1));
    EXPECT_FALSE(character.sounds.values().empty());
    EXPECT_EQ(clicks.sounds.values().size(), 1u);
    assistant.setVisible(false);
    form.reset();
}

TEST(MessageSound, TheFileIsPlayedAsItIs) {
    test::TempDir dir;
    const std::int16_t samples[] = {0, 100, -100};
    const std::vector<std::uint8_t> wave = makeWave(samples, 11025);
    QFile file(QString::fromStdString((dir.path() / "kestrave.wav").string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(wave.data()), static_cast<qint64>(wave.size()));
    file.close();
    test::RecordingSoundSink sink;
    const MessageRoutine::SoundPlayer player = messageSoundPlayer(sink);
    player(dir.path() / "kestrave.wav");
    player(dir.path() / "gone.wav");
    EXPECT_EQ(sink.sounds.values(), std::vector<std::vector<std::uint8_t>>{wave});
}

// Everything Qt says while the test runs.
std::mutex heardLock;
QStringList heard;
void hear(QtMsgType, const QMessageLogContext&, const QString& text) {
    std::lock_guard guard(heardLock);
    heard << text;
}

// An output whose voices play into nothing and last a minute: what the output keeps of its
// sounds shows on a machine without a sound output too.
class VoicesOnly : public SoundOutput {
    void startVoice(int channel, const WaveSound&) override { addVoice(channel, new QObject(this), 60000); }
};

// Three sounds on two channels, one from another thread, and one that is none; then the first
// channel stopped. The sounds playing before and after the stop.
std::pair<int, int> playTwoChannels(SoundOutput& output, const std::vector<std::uint8_t>& wave) {
    SoundSink& one = output.channel();
    SoundSink& two = output.channel();
    one.play(wave);
    two.play(wave);
    // From another thread, as the character plays, the sound reaches the output's thread.
    std::thread([&] { one.play(wave); }).join();
    one.play(std::vector<std::uint8_t>{'R', 'I', 'F', 'F'});  // no sound: left out
    QApplication::processEvents();
    const int started = output.playing();
    one.stop();
    QApplication::processEvents();
    return {started, output.playing()};
}

TEST(SoundOutput, SoundsNeverWaitAndAMissingOutputSaysNothing) {
    test::app();
    const std::int16_t samples[] = {0, 3000, -3000, 0};
    const std::vector<std::uint8_t> wave = makeWave(samples, 8000);
    const QtMessageHandler previous = qInstallMessageHandler(hear);
    {
        SoundOutput output;
        QElapsedTimer clock;
        clock.start();
        const auto [started, left] = playTwoChannels(output, wave);
        EXPECT_LE(started, 3);
        EXPECT_LE(left, 1) << "only the other channel's sound plays on";
        EXPECT_LT(clock.elapsed(), 2000);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(heard.isEmpty()) << heard.join('\n').toStdString();

    VoicesOnly voices;
    EXPECT_EQ(playTwoChannels(voices, wave), std::pair(3, 1)) << "a channel's stop ends its own sounds only";
}

}  // namespace
}  // namespace kestrave
