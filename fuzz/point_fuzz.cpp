// Alignment-point files (".kap"): any text gives at most 99 points, each of a valid box size and
// on the frame, the rest named as problems; the points read, written and read back, are the same,
// and they fill the point arrays as the window takes them.

#include "fuzz_support.h"
#include "registration/point_file.h"

using namespace kestrave;

namespace {

constexpr int FrameWidth = 640;
constexpr int FrameHeight = 480;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.kap");
    const auto copy = fuzz::scratchFile("copy.kap");
    fuzz::expectMessages([&] {
        const PointFileContent content = readAlignPointFile(path, FrameWidth, FrameHeight);
        FUZZ_CHECK(content.points.size() <= static_cast<std::size_t>(MaxAlignPoints));
        for (const AlignPoint& p : content.points) {
            FUZZ_CHECK(p.X >= 0 && p.X < FrameWidth && p.Y >= 0 && p.Y < FrameHeight);
            FUZZ_CHECK(p.FFTSize == 32 || p.FFTSize == 64 || p.FFTSize == 128 || p.FFTSize == 256 ||
                       p.FFTSize == 512);
        }
        FUZZ_CHECK(!content.points.empty() || !content.problems.empty());
        AlignmentPoints arrays;
        setAlignPoints(arrays, content.points);
        FUZZ_CHECK(arrays.Alignpoints == static_cast<int>(content.points.size()) + 1);
        for (std::size_t i = 0; i < content.points.size(); ++i) {
            const AlignPoint& p = content.points[i];
            FUZZ_CHECK(arrays.PointPos[i + 1].X == p.X && arrays.PointPos[i + 1].Y == p.Y);
            FUZZ_CHECK(arrays.PointFFTSize[i + 1] == p.FFTSize &&
                       fftItemForSize(p.FFTSize) == arrays.PointFFTIndex[i + 1]);
        }
        writeAlignPointFile(copy, content.frameNumber, content.points);
        const PointFileContent reread = readAlignPointFile(copy, FrameWidth, FrameHeight);
        FUZZ_CHECK(reread.frameNumber == content.frameNumber && reread.points == content.points);
        FUZZ_CHECK(reread.problems.empty() == !content.points.empty());
    });
    return 0;
}
