// The TIFF LZW codec by itself: decoding any code stream into a strip of any size, and encoding
// any data so that decoding gives it back.
//
// Input: two bytes giving the strip size, then the data.

#include <algorithm>
#include <vector>

#include "codecs/tiff_lzw.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t stripSize = data[0] | std::size_t{data[1]} << 8;
    const std::span<const std::uint8_t> payload(data + 2, size - 2);

    TLZW lzw;
    std::vector<std::uint8_t> strip(stripSize);
    const std::size_t written = lzw.Decode(payload, strip);
    FUZZ_CHECK(written <= strip.size());

    const std::vector<std::uint8_t> encoded = lzw.Encode(payload);
    std::vector<std::uint8_t> decoded(payload.size());
    TLZW fresh;
    FUZZ_CHECK(fresh.Decode(encoded, decoded) == payload.size());
    FUZZ_CHECK(std::equal(decoded.begin(), decoded.end(), payload.begin()));
    // The reused codec gives the same.
    std::vector<std::uint8_t> again(payload.size());
    FUZZ_CHECK(lzw.Decode(encoded, again) == payload.size() && again == decoded);
    return 0;
}
