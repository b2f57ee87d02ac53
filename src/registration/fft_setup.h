#pragma once
// The FFT engine behind the port through which the per-input reset sets it up.

#include "frames/per_input_reset.h"
#include "registration/fft.h"

namespace kestrave {

class FftEngineSetup : public FftSetupPort {
public:
    explicit FftEngineSetup(FftEngine& fft) : fft_(fft) {}
    void InitFFT(int n) override;
    void BuildBandMask(double filterRadius) override;

private:
    FftEngine& fft_;
};

}  // namespace kestrave
