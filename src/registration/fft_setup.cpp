#include "registration/fft_setup.h"

namespace kestrave {

void FftEngineSetup::InitFFT(int n) {
    kestrave::InitFFT(fft_, n);
}

void FftEngineSetup::BuildBandMask(double filterRadius) {
    BuildFFTBandMask(fft_, filterRadius);
}

}  // namespace kestrave
