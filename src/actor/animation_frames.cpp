#include "actor/animation_frames.h"

#include <algorithm>

#include "actor/actor_errors.h"
#include "actor/lzrw1kh.h"
#include "platform/riff_file.h"

namespace kestrave {
namespace {

std::size_t expandedSize(std::size_t frames, int width, int height) {
    return 4 + 13 * frames + frames * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

}  // namespace

std::vector<std::uint8_t> AnimationFrames::framePixels(int f) const {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
    const std::size_t rowLength = static_cast<std::size_t>(count) * width;
    for (int r = 0; r < height; ++r)
        std::copy_n(strip.begin() + r * rowLength + static_cast<std::size_t>(f) * width, width,
                    pixels.begin() + static_cast<std::size_t>(r) * width);
    return pixels;
}

bool AnimationFrames::hasExitBranch() const {
    for (int f = 0; f < count; ++f)
        if (hasExit(f)) return true;
    return false;
}

bool AnimationFrames::hasEndlessLoop() const {
    for (int f = 0; f < count; ++f)
        for (const FrameBranch& b : branches[f])
            if (b.probability >= 100 && b.target <= f) return true;
    return false;
}

std::shared_ptr<const AnimationFrames> decodeAnimation(std::span<const std::uint8_t> resource, int width,
                                                       int height, std::uint8_t transparentIndex) {
    const std::vector<std::uint8_t> data =
        readLzrwStream(resource, expandedSize(kMaxAnimationFrames, width, height));
    if (data.size() < 4) throw ActorDataError("Corrupt animation data: no frame count");
    const std::uint32_t n = readLE32(data.data());
    if (n < 1 || n > kMaxAnimationFrames)
        throw ActorDataError("Corrupt animation data: frame count out of range");
    if (data.size() < expandedSize(n, width, height))
        throw ActorDataError("Corrupt animation data: too short");

    auto frames = std::make_shared<AnimationFrames>();
    frames->width = width;
    frames->height = height;
    frames->count = static_cast<int>(n);
    const std::uint8_t* p = data.data() + 4;
    for (std::uint32_t f = 0; f < n; ++f, p += 2) frames->sounds.push_back(readLE16(p));
    frames->durations.assign(p, p + n);
    p += n;
    frames->branches.resize(n);
    for (std::uint32_t f = 0; f < n; ++f)
        for (FrameBranch& b : frames->branches[f]) {
            b = {p[0], p[1]};
            p += 2;
        }
    for (std::uint32_t f = 0; f < n; ++f, p += 2) frames->exits.push_back({p[0], p[1]});
    frames->strip.assign(p, p + static_cast<std::size_t>(n) * width * height);

    for (std::uint32_t f = 0; f < n; ++f) {
        for (const FrameBranch& b : frames->branches[f])
            if (b.probability > 0 && b.target >= n)
                throw ActorDataError("Corrupt animation data: branch to a missing frame");
        if (frames->hasExit(f) && frames->exits[f].target >= n)
            throw ActorDataError("Corrupt animation data: exit to a missing frame");
        frames->regions.push_back(std::make_shared<const RunRects>(
            maskRunsIndexed(frames->strip.data() + static_cast<std::size_t>(f) * width, width, height,
                            static_cast<std::size_t>(n) * width, transparentIndex)));
    }
    return frames;
}

int nextFrame(const AnimationFrames& frames, int current, bool exiting, RandomSource& random,
              bool& finished) {
    const int last = frames.count - 1;
    int next = -1;
    if (!exiting) {
        int range = 100;
        for (const FrameBranch& b : frames.branches[current]) {
            // Probabilities that add up to more than 100 leave nothing for the later branches.
            if (range <= 0) break;
            if (random.below(range) < b.probability) {
                next = b.target;
                break;
            }
            range -= b.probability;
        }
    } else if (current < last) {
        next = frames.hasExit(current) ? frames.exits[current].target : current + 1;
    }
    if (next < 0) {
        if (current >= last) {
            finished = true;
            return current;
        }
        next = current + 1;
    }
    if (next == last && frames.durations[next] == 0) finished = true;
    return next;
}

}  // namespace kestrave
