#include "support/actor_test_file.h"

#include <algorithm>

namespace kestrave::test {
namespace {

constexpr std::size_t kBlock = 32768;

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void set16(std::vector<std::uint8_t>& out, std::size_t at, unsigned v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

template <class Block>
std::vector<std::uint8_t> stream(const std::vector<std::uint8_t>& data, Block block) {
    std::vector<std::uint8_t> out;
    put32(out, static_cast<std::uint32_t>(data.size()));
    std::size_t at = 0;
    for (;;) {
        const std::size_t n = std::min(kBlock, data.size() - at);
        const std::vector<std::uint8_t> b = block(data.data() + at, n);
        put16(out, static_cast<unsigned>(b.size()));
        out.insert(out.end(), b.begin(), b.end());
        at += n;
        if (n < kBlock) return out;
    }
}

}  // namespace

TestActor minimalActor() {
    TestActor actor;
    TestAnimation rest;
    rest.name = "RestPose";
    rest.states = {60};
    rest.strip = {1, 1, 0, 0, 1, 0, 1, 0,  //
                  0, 1, 1, 0, 0, 0, 1, 1};
    actor.animations.push_back(rest);
    return actor;
}

std::vector<std::uint8_t> frameData(const TestAnimation& animation, int width, int height) {
    if (!animation.rawFrameData.empty()) return animation.rawFrameData;
    const std::size_t n = animation.frames.size();
    std::vector<std::uint8_t> out;
    put32(out, static_cast<std::uint32_t>(n));
    for (const TestFrame& f : animation.frames) put16(out, f.sound);
    for (const TestFrame& f : animation.frames) out.push_back(f.duration);
    for (const TestFrame& f : animation.frames)
        for (const auto& [p, t] : f.branches) out.insert(out.end(), {p, t});
    for (const TestFrame& f : animation.frames) out.insert(out.end(), {f.exit.first, f.exit.second});
    if (!animation.strip.empty()) {
        out.insert(out.end(), animation.strip.begin(), animation.strip.end());
    } else {
        for (int r = 0; r < height; ++r)
            for (std::size_t f = 0; f < n; ++f)
                out.insert(out.end(), width, static_cast<std::uint8_t>(f + 1));
    }
    return out;
}

std::vector<std::uint8_t> storedStream(const std::vector<std::uint8_t>& data) {
    return stream(data, [](const std::uint8_t* p, std::size_t n) {
        std::vector<std::uint8_t> b{128};
        b.insert(b.end(), p, p + n);
        return b;
    });
}

std::vector<std::uint8_t> compressedStream(const std::vector<std::uint8_t>& data) {
    return stream(data, compressBlock);
}

std::vector<std::uint8_t> compressBlock(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out{64, 0, 0};
    std::size_t control = 1;
    int items = 0;
    const auto item = [&](bool reference) {
        if (items == 16) {
            control = out.size();
            out.insert(out.end(), {0, 0});
            items = 0;
        }
        // The control word is high byte first; item k is its bit 15 - k.
        if (reference) out[control + items / 8] |= static_cast<std::uint8_t>(0x80u >> (items % 8));
        ++items;
    };
    std::size_t i = 0;
    while (i < size) {
        std::size_t run = 1;
        while (i + run < size && run < 4111 && data[i + run] == data[i]) ++run;
        if (run >= 16) {
            item(true);
            const std::size_t extra = run - 16;
            out.insert(out.end(),
                       {0, static_cast<std::uint8_t>(extra >> 8), static_cast<std::uint8_t>(extra), data[i]});
            i += run;
            continue;
        }
        std::size_t bestLength = 0, bestOffset = 0;
        for (std::size_t offset = 1; offset <= std::min<std::size_t>(i, 4095) && bestLength < 18; ++offset) {
            std::size_t length = 0;
            while (length < 18 && i + length < size && data[i + length] == data[i + length - offset])
                ++length;
            if (length > bestLength) bestLength = length, bestOffset = offset;
        }
        if (bestLength >= 3) {
            item(true);
            out.insert(out.end(), {static_cast<std::uint8_t>(bestOffset >> 4),
                                   static_cast<std::uint8_t>((bestOffset & 15) << 4 | (bestLength - 3))});
            i += bestLength;
        } else {
            item(false);
            out.push_back(data[i++]);
        }
    }
    return out;
}

std::vector<std::uint8_t> actorFileBytes(const TestActor& actor) {
    const std::size_t count = actor.animations.size();
    std::vector<std::uint8_t> record(1058 + 66 * count, 0);
    set16(record, 0, actor.version);
    set16(record, 23, actor.width);
    set16(record, 25, actor.height);
    set16(record, 27, 0x300);
    set16(record, 29, 256);
    // Palette: entry i is grey i, except entry 0 black and entry 1 white.
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t v = i == 1 ? 255 : static_cast<std::uint8_t>(i);
        std::fill_n(record.begin() + 31 + 4 * i, 3, i == 0 ? 0 : v);
    }
    record[1055] = actor.transparentIndex;
    set16(record, 1056, static_cast<unsigned>(count));

    std::vector<std::vector<std::uint8_t>> resources;
    std::vector<std::pair<unsigned, unsigned>> keys;  // (kind, id)
    for (std::size_t n = 0; n < count; ++n) {
        const TestAnimation& a = actor.animations[n];
        const std::size_t at = 1058 + 66 * n;
        record[at] = static_cast<std::uint8_t>(a.name.size());
        std::copy(a.name.begin(), a.name.end(), record.begin() + at + 1);
        const unsigned id = 100 + static_cast<unsigned>(n);
        set16(record, at + 51, id);
        for (int s : a.states) record[at + 53 + s / 8] |= static_cast<std::uint8_t>(1u << (s % 8));
        record[at + 63] = a.returnKind;
        set16(record, at + 64, a.returnAnimation);
        const std::vector<std::uint8_t> data = frameData(a, actor.width, actor.height);
        resources.push_back(a.compress ? compressedStream(data) : storedStream(data));
        keys.emplace_back(10, id);
    }
    for (const auto& [id, wave] : actor.sounds) {
        resources.push_back(wave);
        keys.emplace_back(1, id);
    }

    std::vector<std::uint8_t> out{'A', 'C', 'T', 'O', 'R', 'L', 'I', 'B'};
    put32(out, 1);
    put32(out, static_cast<std::uint32_t>(record.size()));
    put32(out, static_cast<std::uint32_t>(resources.size()));
    out.insert(out.end(), record.begin(), record.end());
    std::size_t offset = out.size() + 16 * resources.size();
    for (std::size_t r = 0; r < resources.size(); ++r) {
        put16(out, keys[r].first);
        put16(out, keys[r].second);
        put32(out, static_cast<std::uint32_t>(offset));
        put32(out, static_cast<std::uint32_t>(resources[r].size()));
        put32(out, 0);
        offset += resources[r].size();
    }
    for (const auto& r : resources) out.insert(out.end(), r.begin(), r.end());
    return out;
}

void writeActorFile(const std::filesystem::path& path, const TestActor& actor) {
    writeBytes(path, actorFileBytes(actor));
}

}  // namespace kestrave::test
