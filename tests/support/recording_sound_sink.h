#pragma once
// A sound sink that plays nothing and records what it was asked: "play <bytes>" and "stop", in
// order, and the sounds themselves.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sound_sink.h"
#include "support/recorder.h"

namespace kestrave::test {

class RecordingSoundSink final : public SoundSink {
public:
    void play(std::span<const std::uint8_t> wave) override {
        sounds.add({wave.begin(), wave.end()});
        events.add("play " + std::to_string(wave.size()));
    }
    void stop() override { events.add("stop"); }
    Recorder<std::string> events;
    Recorder<std::vector<std::uint8_t>> sounds;
};

}  // namespace kestrave::test
