// Wavelet scheme files (".kwv"): any text either loads as a scheme whose values lie in the
// ranges of the page's controls or is refused with a message; a loaded scheme, saved and read
// back, is the same scheme.

#include "enhance/scheme_file.h"
#include "fuzz_support.h"

using namespace kestrave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.kwv");
    const auto copy = fuzz::scratchFile("copy.kwv");
    fuzz::expectMessages([&] {
        const WaveletScheme scheme = loadWaveletScheme(path);
        FUZZ_CHECK(scheme.Waveletscheme == TWaveletScheme::Dyadic ||
                   scheme.Waveletscheme == TWaveletScheme::Linear);
        FUZZ_CHECK(scheme.Convolvemethod == TConvolveMethod::Default ||
                   scheme.Convolvemethod == TConvolveMethod::Gaussian);
        FUZZ_CHECK(scheme.LevelStep >= MinLevelStep && scheme.LevelStep <= MaxLevelStep);
        FUZZ_CHECK(scheme.Multiplicant >= MinMultiplicant && scheme.Multiplicant <= MaxMultiplicant);
        for (int slider : scheme.layerSlider)
            FUZZ_CHECK(slider >= MinLayerSlider && slider <= MaxLayerSlider);
        saveWaveletScheme(copy, scheme);
        FUZZ_CHECK(loadWaveletScheme(copy) == scheme);
    });
    return 0;
}
