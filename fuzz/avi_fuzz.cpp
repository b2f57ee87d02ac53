// AVI videos as the program reads them: the RIFF structure, the "idx1" and OpenDML indexes or the
// scan of the "movi" lists, the stream format, and the frames decoded by whichever decoder the
// format picks — frame 0 as input selection reads it, a pass over the first frames as alignment
// or stacking runs it (interlaced, with the preview gamma), and frame 0 once more as raw
// colour-sensor video.

#include <vector>

#include "frames/avi_reader.h"
#include "fuzz_support.h"

using namespace kestrave;

namespace {

// The frames a pass reads; later ones count as excluded, so a file that claims many frames costs
// no more than a few.
constexpr int PassFrames = 6;

class Sink : public AviFrameSink {
public:
    Sink() : excluded_(MaxFrameIndex + 1, false) {
        for (int g = PassFrames; g <= MaxFrameIndex; ++g) excluded_[g] = true;
    }
    bool frameExcluded(int g) const override {
        FUZZ_CHECK(g >= 0 && g <= MaxFrameIndex);
        return excluded_[g];
    }
    void markDropped(int g) override {
        FUZZ_CHECK(g >= 0 && g <= MaxFrameIndex);
        excluded_[g] = true;
    }
    void setFrameSize(const AviFrameSize& size) override {
        FUZZ_CHECK(size.FrameWidth >= 1 && size.FrameWidth <= MaxFrameSize);
        FUZZ_CHECK(size.FrameHeight >= 1 && size.FrameHeight <= MaxFrameSize);
    }
    void setCurrentFrame(int g) override { FUZZ_CHECK(g >= 0 && g <= MaxFrameIndex); }
    void setInterlaceField(int field) override { FUZZ_CHECK(field == 0 || field == 1); }
    bool alignFrame() override { return true; }
    void stackFrame(int) override {}

private:
    std::vector<bool> excluded_;
};

const GammaTableArray& gammaTable() {
    static const GammaTableArray table = [] {
        GammaTableArray t{};
        BuildGammaTable(t, 0.7f);
        return t;
    }();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeInput({data, size}, "input.avi").string();
    Bitmap24 preview;
    TTIFFBitMap highBitFrame;
    AviReader reader(preview, highBitFrame);
    Sink sink;
    NullProgress progress;
    fuzz::expectMessages([&] {
        reader.state.AviReopen = true;
        reader.ReadAVIFrames(path, 0, {}, sink, progress);
        FUZZ_CHECK(!preview.empty());

        // The pass of alignment or of stacking, with interlaced fields of rows or of columns:
        // the input's length picks which, so that every combination meets every file layout.
        AviReadOptions pass;
        pass.InAlignPass = (size & 1) == 0;
        pass.InStackPass = !pass.InAlignPass;
        pass.interlaced = true;
        pass.Interlacehoriz = (size & 2) != 0;
        pass.Pregamma = true;
        pass.GammaTable = &gammaTable();
        reader.ReadAVIFrames(path, -1, pass, sink, progress);

        AviReadOptions mosaic;
        mosaic.DebayerEnabled = true;
        reader.ReadAVIFrames(path, 0, mosaic, sink, progress);
    });
    return 0;
}
