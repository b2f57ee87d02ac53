// Reading every frame of a 1000-frame 640 x 480 8-bit SER video, against a plain sequential read
// of the same file in the same run: reading all frames (offsets, header check, conversion into
// the float plane and the grey preview) on all cores should take at most twice the plain read.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "frames/ser_reader.h"
#include "platform/parallel.h"

namespace {

constexpr int Width = 640, Height = 480, Frames = 1000;

// The video, written once per run into the temporary folder and removed at exit.
class BenchVideo {
public:
    BenchVideo()
        : path_(std::filesystem::temp_directory_path() /
                ("kestrave-bench-" + std::to_string(::getpid()) + ".ser")) {
        std::vector<std::uint8_t> header(178, 0);
        const std::uint32_t fields[] = {0, 0, 0, Width, Height, 8, Frames};  // LuID .. FrameCount
        std::memcpy(header.data(), "LUCAM-RECORDER", 14);
        for (int i = 0; i < 7; ++i)
            for (int b = 0; b < 4; ++b)
                header[14 + 4 * i + b] = static_cast<std::uint8_t>(fields[i] >> (8 * b));
        std::ofstream out(path_, std::ios::binary);
        out.write(reinterpret_cast<const char*>(header.data()), 178);
        std::vector<std::uint8_t> frame(static_cast<std::size_t>(Width) * Height);
        for (int f = 0; f < Frames; ++f) {
            for (std::size_t i = 0; i < frame.size(); ++i)
                frame[i] = static_cast<std::uint8_t>((i * 7 + f * 13) % 251);
            out.write(reinterpret_cast<const char*>(frame.data()),
                      static_cast<std::streamsize>(frame.size()));
        }
    }
    ~BenchVideo() { std::filesystem::remove(path_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

const BenchVideo& video() {
    static const BenchVideo instance;
    return instance;
}

void BM_SerPlainSequentialRead(benchmark::State& state) {
    const std::filesystem::path& path = video().path();
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(Width) * Height);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::uint64_t total = 0;
        ssize_t n;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
            total += static_cast<std::uint64_t>(n);
            benchmark::DoNotOptimize(buffer.data());
        }
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * (178 + static_cast<std::int64_t>(Width) * Height * Frames));
}
BENCHMARK(BM_SerPlainSequentialRead)->Unit(benchmark::kMillisecond)->UseRealTime();

// All frames spread over the cores, as the passes read them: each worker reads its frames into
// its own plane and preview.
void BM_SerReadAllFrames(benchmark::State& state) {
    const std::filesystem::path& path = video().path();
    for (auto _ : state) {
        kestrave::parallelForRange(0, Frames, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
            kestrave::T2dArrays plane;
            kestrave::Bitmap24 preview;
            kestrave::FrameReaderState readerState;
            for (std::ptrdiff_t f = first; f < last; ++f)
                kestrave::ReadSerFrame(path, static_cast<int>(f), plane, preview, readerState);
            benchmark::DoNotOptimize(plane.data());
        });
    }
    state.SetBytesProcessed(state.iterations() * (178 + static_cast<std::int64_t>(Width) * Height * Frames));
}
BENCHMARK(BM_SerReadAllFrames)->Unit(benchmark::kMillisecond)->UseRealTime();

// Frame after frame into one plane and preview, as the frame slider shows them.
void BM_SerReadAllFramesOneByOne(benchmark::State& state) {
    kestrave::T2dArrays plane;
    kestrave::Bitmap24 preview;
    kestrave::FrameReaderState readerState;
    const std::filesystem::path& path = video().path();
    for (auto _ : state) {
        for (int f = 0; f < Frames; ++f) kestrave::ReadSerFrame(path, f, plane, preview, readerState);
        benchmark::DoNotOptimize(plane.data());
    }
    state.SetBytesProcessed(state.iterations() * (178 + static_cast<std::int64_t>(Width) * Height * Frames));
}
BENCHMARK(BM_SerReadAllFramesOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
