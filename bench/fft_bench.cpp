// The 2-D forward transform of the registration box, side by side with FFTW's single-threaded
// float transform of the same size (interleaved complex, planned with FFTW_MEASURE).

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <random>

#include "registration/fft.h"
#include "support/thread_count_scope.h"

namespace {

void fillRandom(float* re, float* im, std::size_t count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(0.0f, 255.0f);
    for (std::size_t c = 0; c < count; ++c) re[c] = value(random), im[c] = 0.0f;
}

// Our transform at the thread count given as the second argument (0: every hardware thread).
void BM_KestraveForward(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    const kestrave::test::ThreadCountScope scope(threads);
    kestrave::FftEngine fft;
    kestrave::InitFFT(fft, n);
    fillRandom(fft.FFTRe.data(), fft.FFTIm.data(), fft.FFTRe.cellCount());
    for (auto _ : state) {
        kestrave::FFT2DForward(fft);
        benchmark::DoNotOptimize(fft.FFTRe.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_KestraveForward)
    ->ArgNames({"N", "threads"})
    ->Args({256, 1})
    ->Args({256, 0})
    ->Args({64, 1})
    ->Args({512, 1})
    ->Args({512, 0});

void BM_FftwForward(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::size_t count = static_cast<std::size_t>(n) * n;
    fftwf_complex* data = fftwf_alloc_complex(count);
    fftwf_plan plan = fftwf_plan_dft_2d(n, n, data, data, FFTW_BACKWARD, FFTW_MEASURE);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(0.0f, 255.0f);
    for (std::size_t c = 0; c < count; ++c) data[c][0] = value(random), data[c][1] = 0.0f;
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(data);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(data);
}
BENCHMARK(BM_FftwForward)->ArgName("N")->Arg(256)->Arg(64)->Arg(512);

}  // namespace
