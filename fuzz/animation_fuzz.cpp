// Frame data of one animation by itself: the frame size and transparent index from the first
// five bytes, then an LZRW1-KH stream. Reaches the block expander and the tables without the
// container's checks in between. What expands is compressed again and must expand to the same
// bytes.

#include "actor/actor_library.h"
#include "actor/lzrw1kh.h"
#include "animation_checks.h"
#include "support/actor_test_file.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const int width = 1 + (data[0] | data[1] << 8) % kMaxActorFrameSide;
    const int height = 1 + (data[2] | data[3] << 8) % kMaxActorFrameSide;
    const std::span<const std::uint8_t> stream(data + 5, size - 5);
    fuzz::expectMessages([&] { fuzz::checkAnimation(*decodeAnimation(stream, width, height, data[4])); });
    fuzz::expectMessages([&] {
        const std::vector<std::uint8_t> expanded = readLzrwStream(stream, 1u << 20);
        // The tests' encoder searches every offset: only small data, to keep the runs fast.
        if (expanded.size() <= 8192)
            FUZZ_CHECK(readLzrwStream(test::compressedStream(expanded), 1u << 20) == expanded);
        FUZZ_CHECK(readLzrwStream(test::storedStream(expanded), 1u << 20) == expanded);
    });
    return 0;
}
