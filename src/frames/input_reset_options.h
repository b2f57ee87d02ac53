#pragma once
// The control values the per-input reset reads, what it puts in force, and the FFT box side of an
// FFTsizeGroup item.

namespace kestrave {

// The control values the reset reads.
struct ResetControls {
    bool showProcessingArea = false;  // Showprocessingarea checked
    int fftSizeItemIndex = -1;        // FFTsizeGroup item, -1 when none is selected
    double fftFilter = 10.0;          // FFTFilterspin value
    // Files dropped on the window keep the channel shifts and render levels of the wavelet page.
    bool keepRenderSettings = false;
};

struct ResetResult {
    int fftSizeItemIndex = 0;  // the FFTsizeGroup item in force afterwards
    int fftSize = 32;          // the box size given to InitFFT
};

// FFT box side of an FFTsizeGroup item: 2^(item + 5), items 0..4 giving 32..512; a negative item
// counts as item 0 and the size never exceeds 512.
int fftSizeForItem(int itemIndex);

}  // namespace kestrave
