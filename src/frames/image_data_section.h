#pragma once
// The float planes every stage after input works in, and the 16-bit images.
//
// The image data section proper follows the size W × H of the working image: the stack, work,
// luminance, sigma, scratch and weight planes of (W + 10) × (H + 10) cells and the 16-bit result
// image of (W + 1) × (H + 1) pixels. It is rebuilt, contents lost, only when the size changes.
// Beside it live planes that their owners replace: the 7 × 3 layer planes of the wavelet page
// over the processing area, the dark and flat planes, the raw frame plane and the 16-bit input
// frame.
//
// Channel convention of plane triples: 0 red, 1 green (and the single channel of black-and-white
// work), 2 blue. Values use the 0..255 scale of 8-bit input.
//
// Allocation failures never escape these functions: they are reported through the message port
// and the function returns false, leaving the planes in a state that no reader can overrun.

#include <array>

#include "codecs/tiff_bitmap.h"
#include "frames/plane.h"
#include "frames/process_area.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"

namespace kestrave {

// Margin of the section's planes around the image, per axis.
inline constexpr int SectionPlaneMargin = 10;
// Margin of the layer planes allocated at start-up, per axis.
inline constexpr int StartupLayerMargin = 5;
// Processing-area side when no valid stored choice exists, and its item in Processarea.
inline constexpr int DefaultProcessAreaSize = 512;
inline constexpr int DefaultProcessAreaItem = 2;

struct ImageDataSection {
    ImageDataSection() = default;
    // Hundreds of megabytes for large images: passed by reference, never copied.
    ImageDataSection(const ImageDataSection&) = delete;
    ImageDataSection& operator=(const ImageDataSection&) = delete;

    // The section proper, (AllocWidth + 10) × (AllocHeight + 10).
    PlaneTriple StackPlanes;     // stack sums while stacking, the averaged stack afterwards
    PlaneTriple WorkPlanes;      // sigma statistics while stacking; the wavelet page's working copy
    T2dArrays LumPlane;          // luminance stack of LRGB input
    T2dArrays SigmaPlane;        // per-pixel deviation of the sigma pass
    T2dArrays ScratchPlane;      // first pass of the separable layer filter
    T2dArrays StackWeightPlane;  // accumulated stacking weight per pixel
    // The 16-bit RGB result, (AllocWidth + 1) × (AllocHeight + 1), zero after allocation.
    TTIFFBitMap ResultImage16;
    // The size the section was last allocated for; 0 × 0 when it holds no planes.
    int AllocWidth = 0;
    int AllocHeight = 0;

    // Processing area: the square part of the image the wavelet page processes, addressed in
    // image pixels. Its extent is ProcessAreaSize or the image's width or height where that is
    // smaller, and it always lies inside the image.
    int ProcessAreaSize = DefaultProcessAreaSize;  // 2048, 1024, 512, 256 or 128
    int ProcessAreaX = 0;
    int ProcessAreaY = 0;
    int ProcessAreaWidth = 0;
    int ProcessAreaHeight = 0;

    // The recombined image (0) and six wavelet layers (1..6) per channel, addressed as
    // (x - ProcessAreaX, y - ProcessAreaY). (ProcessAreaSize + 5)² after start-up,
    // ProcessAreaSize² after a change of the area size.
    std::array<PlaneTriple, 7> LayerPlanes;
    // Dark frame (times 128) and flat field (relative to its mean); 2 × 2 until one is loaded.
    PlaneTriple DarkPlanes;
    PlaneTriple FlatPlanes;
    // SER and FITS samples of the current frame; 2 × 2 until such a frame is read.
    T2dArrays RawFramePlane;
    // The current input frame when it has more than 8 bits per sample.
    TTIFFBitMap HighBitFrame;
};

// Start-up: the dark, flat and raw frame planes at 2 × 2, the section at 2 × 2, the processing
// area from the stored Processarea item (an item outside 0..4 gives item 2, 512) and the layer
// planes at (ProcessAreaSize + 5)². Returns false when memory ran out (reported).
bool createImagePlanes(ImageDataSection& section, int storedProcessareaItem, ProgressPort& progress,
                       MessagePort& messages);

// (Re)allocates the section for an image of width × height. With the size of the last call it
// returns at once and changes nothing. Otherwise it releases the old planes, centres the
// processing area in the image (never larger than the image), and allocates the planes and a
// zeroed ResultImage16. When memory runs out it reports it, releases what it had allocated,
// leaves a 0 × 0 section with an empty processing area, and returns false.
bool SetupImageDataSection(ImageDataSection& section, int width, int height, ProgressPort& progress,
                           MessagePort& messages);

// The processing area centred in the allocated image, never larger than it, as a new allocation
// places it.
void centreProcessArea(ImageDataSection& section);

// Releases the (W + 10) × (H + 10) planes of the section (not ResultImage16 nor the planes beside
// the section).
void FreeImageArrays(ImageDataSection& section);

// A new choice in the Processarea combo: sets ProcessAreaSize from the item (any other item keeps
// it), makes the extent ProcessAreaSize clamped to the image, moves the corner only as far as
// needed to keep the area inside the image, and replaces the 21 layer planes by planes of
// ProcessAreaSize². When memory runs out it reports it and leaves size, area and layer planes as
// they were (returns false).
bool ProcessareaChange(ImageDataSection& section, int itemIndex, MessagePort& messages);

}  // namespace kestrave
