#pragma once
// Small pixel routines shared by the frame readers, the stacking code and the rendering:
// bitmap copies, the Rec. 709 luminance, a power-of-two ceiling, byte clamping, byte-order swaps
// for big-endian file data and a file-size probe.

#include <cmath>
#include <cstdint>
#include <filesystem>

#include "platform/bitmap24.h"
#include "platform/message_port.h"

namespace kestrave {

// Dest becomes a copy of Source: size, row layout and pixels.
void CopyBitmap(const Bitmap24& Source, Bitmap24& Dest);
// Dest takes Source's size and pixels at 24 bits per pixel. Every core bitmap is 24-bit, so this
// is the same copy as CopyBitmap; only the argument order differs.
void AssignBitmap24(Bitmap24& Dest, const Bitmap24& Source);

// Rec. 709 luminance of a red, green, blue triple, rounded to single precision.
inline float Luma709(float R, float G, float B) {
    return static_cast<float>(0.2126 * R + 0.7152 * G + 0.0722 * B);
}

// The smallest power of two p >= |X| (1 for every |X| <= 1), carrying the sign of X. Doubling
// stops at infinity, so even an infinite X ends the loop.
inline float PowerOfTwoCeil(float X) {
    float p = 1.0f;
    while (std::fabs(X) > p) p *= 2.0f;
    return X < 0.0f ? -p : p;
}

// A + B, wrapping around like a 32-bit register (used to step row addresses by a row length).
constexpr std::int32_t AddInt(std::int32_t A, std::int32_t B) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(A) + static_cast<std::uint32_t>(B));
}

// 255 above 254, 0 below 1, else V.
constexpr int ClampByte(int V) {
    return V > 254 ? 255 : (V < 1 ? 0 : V);
}

// The four bytes of V in reverse order (big-endian <-> little-endian).
constexpr std::int32_t SwapInt32(std::int32_t V) {
    const auto u = static_cast<std::uint32_t>(V);
    return static_cast<std::int32_t>((u >> 24) | ((u >> 8) & 0x0000FF00u) | ((u << 8) & 0x00FF0000u) |
                                     (u << 24));
}
// Dest := Src with its four bytes reversed.
constexpr void SwapInt32InPlace(std::int32_t Src, std::int32_t& Dest) {
    Dest = SwapInt32(Src);
}
// The two bytes of V exchanged.
constexpr std::uint16_t SwapWord(std::uint16_t V) {
    return static_cast<std::uint16_t>((V >> 8) | (V << 8));
}
// The same exchange under the name the SER reader uses.
constexpr std::uint16_t SwapWordB(std::uint16_t V) {
    return SwapWord(V);
}

// The size in bytes of a regular file, 64-bit so that captures above 4 GiB are measured right.
// A file that cannot be opened (missing, unreadable, not a regular file) shows "Error" /
// "Fatal Error: Cannot open <name> (binary)" through the message port and gives -1.
std::int64_t FileSizeOf(const std::filesystem::path& FileName, MessagePort& messages);

}  // namespace kestrave
