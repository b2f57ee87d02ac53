// A pass over a 2000-frame 640 x 480 Y800 video, against a plain read of the same file: the
// reader should manage at least half the speed of the plain read.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "frames/avi_reader.h"
#include "support/avi_test_writer.h"
#include "support/temp_dir.h"

namespace {

using namespace kestrave;

class NullSink : public AviFrameSink {
public:
    bool frameExcluded(int) const override { return false; }
    void markDropped(int) override {}
    void setFrameSize(const AviFrameSize&) override {}
    void setCurrentFrame(int) override {}
    void setInterlaceField(int) override {}
    bool alignFrame() override { return true; }
    void stackFrame(int) override {}
};

struct Recording {
    test::TempDir dir;
    std::filesystem::path path = dir / "y800.avi";
    Recording() {
        test::AviTestFormat format;
        format.handler = format.compression = "Y800";
        format.width = 640;
        format.height = 480;
        test::AviTestWriter writer(path, format);
        std::vector<std::uint8_t> frame(640 * 480);
        for (int k = 0; k < 2000; ++k) {
            for (std::size_t i = 0; i < frame.size(); i += 97) frame[i] = static_cast<std::uint8_t>(k + i);
            writer.addFrame(frame);
        }
        writer.finish();
    }
    std::int64_t size() const { return static_cast<std::int64_t>(std::filesystem::file_size(path)); }
};

const Recording& recording() {
    static const Recording r;
    return r;
}

void BM_AviPassY800(benchmark::State& state) {
    const Recording& r = recording();
    Bitmap24 preview;
    TTIFFBitMap high;
    AviReader reader(preview, high);
    NullSink sink;
    NullProgress progress;
    AviReadOptions options;
    reader.ReadAVIFrames(r.path.string(), 0, options, sink, progress);
    options.InAlignPass = true;
    for (auto _ : state) {
        reader.ReadAVIFrames(r.path.string(), -1, options, sink, progress);
        benchmark::DoNotOptimize(preview.bits());
    }
    state.SetBytesProcessed(state.iterations() * r.size());
}
BENCHMARK(BM_AviPassY800)->Unit(benchmark::kMillisecond)->UseRealTime();

// What `cat file > /dev/null` does: sequential reads of 128 KiB.
void BM_PlainReadOfTheSameFile(benchmark::State& state) {
    const Recording& r = recording();
    std::vector<char> buffer(128 * 1024);
    for (auto _ : state) {
        const int fd = ::open(r.path.c_str(), O_RDONLY);
        while (::read(fd, buffer.data(), buffer.size()) > 0) benchmark::DoNotOptimize(buffer.data());
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * r.size());
}
BENCHMARK(BM_PlainReadOfTheSameFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
