#include "render_fixture.h"

#include "enhance/clamped_round.h"
#include "enhance/wavelet_processing.h"

namespace kestrave::test {

RenderFixture::RenderFixture(int width, int height, int areaX, int areaY, int areaWidth, int areaHeight)
    : image(width, height, areaX, areaY, areaWidth, areaHeight) {
    image.section.ResultImage16 = TTIFFBitMap(width + 1, height + 1);
    image.section.ResultImage16.allocateHighBits();
    BuildGammaTable(GammaTable, 1.0f);
    BuildToneCurve(tones->ToneCurve, StartupToneBias, StartupToneScale, false);
    wavelet.steps = {TWaveletScheme::Linear, 1.0, 0.0};
}

void RenderFixture::makeStackView() {
    Stackimage.resize(image.width, image.height);
    Stackimage.allocateHighBits();
    const auto& planes = image.section.StackPlanes;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const int g = clampedRound(planes[1][x][y], 0, 255);
            const int r = wavelet.Colourstack ? clampedRound(planes[0][x][y], 0, 255) : g;
            const int b = wavelet.Colourstack ? clampedRound(planes[2][x][y], 0, 255) : g;
            SetRGBTriple(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                         static_cast<std::uint8_t>(b), Stackimage.pixel(x, y));
            for (int c = 0; c < 3; ++c) {
                const float v = planes[wavelet.Colourstack ? c : 1][x][y];
                Stackimage.HighBitRow(y)[3 * x + c] =
                    static_cast<std::uint16_t>(clampedRound(v * 255, 0, 65535));
            }
        }
    }
}

DisplayHistograms RenderFixture::process() {
    showStackView(Stackimage, ProcessImage, image.section.ResultImage16, image.width, image.height);
    state.LayersDirty = true;
    decomposeWhenDirty(image.section, image.width, image.height, state, filter, wavelet, progress);
    return render();
}

DisplayHistograms RenderFixture::render() {
    RenderContext c = context();
    return renderPass(c, wavelet, options);
}

std::string RenderFixture::viewBytes() const {
    return {reinterpret_cast<const char*>(ProcessImage.bits()), ProcessImage.byteCount()};
}

std::string RenderFixture::resultBytes() const {
    const TTIFFBitMap& result = image.section.ResultImage16;
    std::string bytes;
    for (int y = 0; y < result.height(); ++y) {
        bytes.append(reinterpret_cast<const char*>(result.HighBitRow(y)), result.samplesPerRow() * 2);
    }
    return bytes;
}

}  // namespace kestrave::test
