#pragma once
// Zero fill and byte swaps for the TIFF codec, and loads and stores of 16- and 32-bit values in
// a chosen byte order. TIFF files are big-endian ("MM") or little-endian ("II"); every value
// read is converted to the machine's order.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/riff_file.h"

namespace kestrave {

inline void ZeroFill(void* p, std::size_t n) {
    std::memset(p, 0, n);
}

inline std::uint16_t Swap16(std::uint16_t v) {
    return static_cast<std::uint16_t>((v >> 8) | (v << 8));
}

inline std::uint32_t Swap32(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// Reads a value stored in big-endian (motorola) or little-endian order; the little-endian reads
// are the platform's field readers.
inline std::uint16_t loadU16(const std::uint8_t* p, bool motorola) {
    return motorola ? Swap16(readLE16(p)) : readLE16(p);
}

inline std::uint32_t loadU32(const std::uint8_t* p, bool motorola) {
    return motorola ? Swap32(readLE32(p)) : readLE32(p);
}

inline void storeU16(std::uint8_t* p, std::uint16_t v, bool motorola) {
    if (motorola) v = Swap16(v);
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void storeU32(std::uint8_t* p, std::uint32_t v, bool motorola) {
    if (motorola) v = Swap32(v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace kestrave
