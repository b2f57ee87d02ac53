#include "actor/lzrw1kh.h"

#include <string>

#include "actor/actor_errors.h"
#include "platform/riff_file.h"

namespace kestrave {
namespace {

[[noreturn]] void corrupt(const char* what) {
    throw ActorDataError(std::string("Corrupt animation data: ") + what);
}

}  // namespace

std::size_t expandLzrwBlock(std::span<const std::uint8_t> block, std::vector<std::uint8_t>& out) {
    const std::size_t size = block.size();
    if (size == 0) return 0;
    if (size > kLzrwBlockInput) corrupt("block longer than 32784 bytes");
    const std::size_t start = out.size();
    if (block[0] == kLzrwStoredFlag) {
        if (size - 1 > kLzrwBlockOutput) corrupt("stored block longer than 32768 bytes");
        out.insert(out.end(), block.begin() + 1, block.end());
        return size - 1;
    }
    if (size < 3) corrupt("compressed block without control word");

    // Items never reach further back than the block's own output: each block starts afresh.
    std::size_t x = 3;
    unsigned command = static_cast<unsigned>(block[1]) << 8 | block[2];
    int bits = 16;
    const auto room = [&](std::size_t n) {
        if (out.size() - start + n > kLzrwBlockOutput) corrupt("block expands beyond 32768 bytes");
    };
    while (x < size) {
        if (bits == 0) {
            if (x + 2 > size) corrupt("truncated control word");
            command = static_cast<unsigned>(block[x]) << 8 | block[x + 1];
            x += 2;
            bits = 16;
            if (x >= size) corrupt("control word without items");
        }
        if ((command & 0x8000u) == 0) {
            room(1);
            out.push_back(block[x++]);
        } else {
            if (x + 2 > size) corrupt("truncated reference");
            const std::size_t offset = static_cast<std::size_t>(block[x]) << 4 | block[x + 1] >> 4;
            if (offset == 0) {
                if (x + 4 > size) corrupt("truncated run");
                const std::size_t count = (static_cast<std::size_t>(block[x + 1]) << 8 | block[x + 2]) + 16;
                room(count);
                out.insert(out.end(), count, block[x + 3]);
                x += 4;
            } else {
                const std::size_t length = (block[x + 1] & 15u) + 3;
                if (offset > out.size() - start) corrupt("reference before the start of the block");
                room(length);
                // One byte at a time: an overlapping copy repeats the bytes it has just written.
                for (std::size_t k = 0; k < length; ++k) out.push_back(out[out.size() - offset]);
                x += 2;
            }
        }
        command = (command << 1) & 0xFFFFu;
        --bits;
    }
    return out.size() - start;
}

std::vector<std::uint8_t> readLzrwStream(std::span<const std::uint8_t> stream, std::size_t maxOutput) {
    if (stream.size() < 4) corrupt("stream shorter than its length field");
    std::vector<std::uint8_t> out;
    std::size_t at = 4;
    while (at < stream.size()) {
        if (at + 2 > stream.size()) corrupt("truncated block length");
        const std::size_t length = readLE16(stream.data() + at);
        at += 2;
        if (length > stream.size() - at) corrupt("truncated block");
        const std::size_t added = expandLzrwBlock(stream.subspan(at, length), out);
        at += length;
        if (out.size() > maxOutput) corrupt("more data than the animation can hold");
        if (added < kLzrwBlockOutput) break;
    }
    return out;
}

}  // namespace kestrave
