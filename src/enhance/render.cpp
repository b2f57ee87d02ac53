#include "enhance/render.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "enhance/clamped_round.h"
#include "enhance/wavelet_decomposition.h"
#include "platform/parallel.h"

namespace kestrave {

namespace {

enum class RenderMode { Mono, Colour, Lrgb };

RenderMode renderMode(const WaveletProcessOptions& wavelet) {
    if (!wavelet.Colourstack) return RenderMode::Mono;
    return wavelet.LRGB2 ? RenderMode::Lrgb : RenderMode::Colour;
}

// The level map of a recombined value v: the stack range goes onto gamma-table indices 0..30000
// at contrast 1.0, i = Round((v - StackMinValue) × scale) within 0..32000; then
// L(v) = (GammaTable[i] × 255 + brightness - LevelLo) / (LevelHi - LevelLo) × 255.
class LevelMap {
public:
    LevelMap(const GammaTableArray& gamma, const StackFacts& stack, const RenderOptions& options, float lo,
             float hi)
        : gamma_(gamma),
          offset_(stack.StackMinValue),
          scale_(30000.0 * (options.ContrastSlider * 0.004) /
                 (static_cast<double>(stack.StackMaxValue) - stack.StackMinValue + 0.000001)),
          brightness_(options.BrightnessSlider * 0.25),
          lo_(lo),
          range_(static_cast<double>(hi) - lo) {}

    double level(float v) const {
        const int i = clampedRound((v - offset_) * scale_, 0, GammaTableLast);
        return (gamma_[i] * 255.0 + brightness_ - lo_) / range_ * 255.0;
    }
    int byte(float v) const { return clampedRound(level(v), 0, 255); }

private:
    const GammaTableArray& gamma_;
    double offset_;
    double scale_;
    double brightness_;
    double lo_;
    double range_;
};

int toByte(double v) {
    return clampedRound(v, 0, 255);
}
int toSample16(double v) {
    return clampedRound(v * 255.0, 0, 65535);
}
int luminanceBin(double r, double g, double b) {
    return toByte(0.29 * r + 0.59 * g + 0.11 * b);
}

// Writes the displayed pixels of one column; holds everything a pixel needs.
class ColumnRenderer {
public:
    ColumnRenderer(RenderContext& context, const WaveletArea& area, const RenderOptions& options,
                   const LevelMap& levels)
        : context_(context),
          area_(area),
          levels_(levels),
          mapper_(context.toneTables, options.toneMap, context.stack.means),
          toneMapping_(options.ActiveTonemap),
          offsets_{options.RedSlider, options.GreenSlider, options.blueslider},
          show_{options.Showred, options.Showgreen, options.Showblue} {}

    template <RenderMode mode>
    void column(int x, int firstRow, int lastRow, DisplayHistograms& histograms) const {
        const auto& recombined = context_.section.LayerPlanes[0];
        const int lx = x - area_.x0;
        for (int y = firstRow; y <= lastRow; ++y) {
            const int ly = y - area_.y0;
            std::uint8_t* pixel = context_.ProcessImage.pixel(x, y);
            std::uint16_t* samples =
                context_.section.ResultImage16.HighBitRow(y) + 3 * static_cast<std::size_t>(x);
            if constexpr (mode == RenderMode::Mono) {
                mono(recombined[1][lx][ly], pixel, samples, histograms);
            } else if constexpr (mode == RenderMode::Colour) {
                colour(recombined[0][lx][ly], recombined[1][lx][ly], recombined[2][lx][ly], pixel, samples,
                       histograms);
            } else {
                lrgb(x, y, recombined[1][lx][ly], pixel, samples, histograms);
            }
        }
    }

private:
    // (offset + u(v)) × balance for channel c.
    double balanced(int c, float v) const {
        return (offsets_[c] + levels_.byte(v)) * static_cast<double>(context_.state.RGBBalance[c]);
    }

    void mono(float v, std::uint8_t* pixel, std::uint16_t* samples, DisplayHistograms& histograms) const {
        const double g = balanced(1, v);
        int g16 = toSample16(g);
        const int bin = toByte(g);
        int shown = clampedRound(g16 / 255.0, 0, 255);
        if (toneMapping_) {
            const float mapped = mapper_.mono(static_cast<float>(shown));
            g16 = toSample16(mapped);
            shown = toByte(mapped);
        }
        samples[0] = samples[1] = samples[2] = static_cast<std::uint16_t>(g16);
        const auto byte = static_cast<std::uint8_t>(shown);
        SetRGBTriple(byte, byte, byte, pixel);
        for (DisplayHistogram& histogram : histograms) ++histogram[bin];
    }

    void colour(float vr, float vg, float vb, std::uint8_t* pixel, std::uint16_t* samples,
                DisplayHistograms& histograms) const {
        double rgb[3] = {balanced(0, vr), balanced(1, vg), balanced(2, vb)};
        bool show[3] = {show_[0], show_[1], show_[2]};
        if (toneMapping_) {
            const RgbValue mapped = mapper_.colour(static_cast<float>(rgb[0]), static_cast<float>(rgb[1]),
                                                   static_cast<float>(rgb[2]));
            rgb[0] = mapped.r;
            rgb[1] = mapped.g;
            rgb[2] = mapped.b;
            show[0] = show[1] = show[2] = true;
        }
        std::uint8_t bytes[3] = {0, 0, 0};
        for (int c = 0; c < 3; ++c) {
            samples[c] = static_cast<std::uint16_t>(toSample16(rgb[c]));
            const int byte = toByte(rgb[c]);
            if (show[c]) bytes[c] = static_cast<std::uint8_t>(byte);
            ++histograms[c][byte];
        }
        ++histograms[HistLuminance][luminanceBin(rgb[0], rgb[1], rgb[2])];
        SetRGBTriple(bytes[0], bytes[1], bytes[2], pixel);
    }

    // The luminance of the layers coloured by the stack's colour at the pixel:
    // out = (3 × (C / (R + G + B + 0.0001)) × L(v) + offset) × balance.
    void lrgb(int x, int y, float v, std::uint8_t* pixel, std::uint16_t* samples,
              DisplayHistograms& histograms) const {
        const ProgramState& state = context_.state;
        const auto& stack = context_.section.StackPlanes;
        auto shifted = [&](const T2dArrays& plane, int dx, int dy) {
            const int sx = x + dx;
            const int sy = y + dy;
            const bool inside = sx >= 0 && sx < context_.ImageWidth && sy >= 0 && sy < context_.ImageHeight;
            return inside ? static_cast<double>(plane[sx][sy]) : 0.0;
        };
        const double colours[3] = {shifted(stack[0], state.RedShiftX, state.RedShiftY), stack[1][x][y],
                                   shifted(stack[2], state.BlueShiftX, state.BlueShiftY)};
        const double sum = colours[0] + colours[1] + colours[2] + 0.0001;
        const double luminance = levels_.level(v);
        int bytes[3];
        for (int c = 0; c < 3; ++c) {
            const double out = (3.0 * (colours[c] / sum) * luminance + offsets_[c]) *
                               static_cast<double>(state.RGBBalance[c]);
            bytes[c] = toByte(out);
            samples[c] = static_cast<std::uint16_t>(toSample16(out));
            ++histograms[c][bytes[c]];
        }
        ++histograms[HistLuminance][luminanceBin(bytes[0], bytes[1], bytes[2])];
        SetRGBTriple(static_cast<std::uint8_t>(bytes[0]), static_cast<std::uint8_t>(bytes[1]),
                     static_cast<std::uint8_t>(bytes[2]), pixel);
    }

    RenderContext& context_;
    WaveletArea area_;
    const LevelMap& levels_;
    ToneMapper mapper_;
    bool toneMapping_;
    int offsets_[3];
    bool show_[3];
};

// LayerPlanes[0][c] over one area column: the working value plus the weighted checked layers,
// added in layer order in single precision.
void recombineColumn(ImageDataSection& section, const WaveletArea& area, int c, int x,
                     const std::array<float, WaveletLayerCount + 1>& weights,
                     const std::array<bool, WaveletLayerCount + 1>& used) {
    const int lx = x - area.x0;
    const int rows = area.height();
    float* out = section.LayerPlanes[0][c][lx];
    std::copy(section.WorkPlanes[c][x] + area.y0, section.WorkPlanes[c][x] + area.y0 + rows, out);
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        if (!used[n]) continue;
        const float w = weights[n];
        const float* layer = section.LayerPlanes[n][c][lx];
        for (int ly = 0; ly < rows; ++ly) out[ly] += w * layer[ly];
    }
}

// Bytes of the part of source that fits into dest, row by row.
void copyOverlap(const Bitmap24& source, Bitmap24& dest) {
    const int rows = std::min(source.height(), dest.height());
    const std::size_t bytes = 3 * static_cast<std::size_t>(std::min(source.width(), dest.width()));
    for (int y = 0; y < rows; ++y) std::memcpy(dest.row(y), source.row(y), bytes);
}

// The bitmap at width × height, keeping the pixels that still fit.
void fitBitmap(Bitmap24& bitmap, int width, int height) {
    if (bitmap.width() == width && bitmap.height() == height) return;
    Bitmap24 fitted(width, height);
    copyOverlap(bitmap, fitted);
    bitmap = std::move(fitted);
}

void requireRenderPlanes(const RenderContext& context, const WaveletArea& area, RenderMode mode,
                         const WaveletProcessOptions& wavelet,
                         const std::array<bool, WaveletLayerCount + 1>& used) {
    const ImageDataSection& section = context.section;
    for (int c = 0; c < 3; ++c) {
        if (!wavelet.processesChannel(c)) continue;
        requirePlaneSize(section.WorkPlanes[c], area.x1 + 1, area.y1 + 1);
        for (int n = 0; n <= WaveletLayerCount; ++n) {
            if (used[n]) requirePlaneSize(section.LayerPlanes[n][c], area.width(), area.height());
        }
    }
    if (mode == RenderMode::Lrgb) {
        for (const T2dArrays& plane : section.StackPlanes) {
            requirePlaneSize(plane, context.ImageWidth, context.ImageHeight);
        }
    }
    const TTIFFBitMap& result = section.ResultImage16;
    if (!result.HighBitsAllocated() || result.width() < context.ImageWidth ||
        result.height() < context.ImageHeight) {
        throw WaveletError("The 16-bit result image (" + std::to_string(result.width()) + " x " +
                           std::to_string(result.height()) + ") is smaller than the working image (" +
                           std::to_string(context.ImageWidth) + " x " + std::to_string(context.ImageHeight) +
                           "); stack the image again.");
    }
}

}  // namespace

int displayMargin(const WaveletStepOptions& steps) {
    return clampedRound(steps.LevelStep + 5.0 * steps.Multiplicant, 0, 1 << 20) + 3;
}

WaveletArea displayedRegion(const ImageDataSection& section, int ImageWidth, int ImageHeight, int margin) {
    const WaveletArea area = waveletArea(section, ImageWidth, ImageHeight);
    if (area.empty()) return {};
    auto span = [margin](int first, int extent, int last, int imageSide, int& from, int& to) {
        const int end = first + extent;
        from = first == 0 ? 0 : first + margin;
        to = end >= imageSide - 1 ? last : std::min(last, end - margin);
    };
    WaveletArea region;
    span(area.x0, section.ProcessAreaWidth, area.x1, ImageWidth, region.x0, region.x1);
    span(area.y0, section.ProcessAreaHeight, area.y1, ImageHeight, region.y0, region.y1);
    return region;
}

void showStackView(const Bitmap24& Stackimage, Bitmap24& ProcessImage, int ImageWidth, int ImageHeight) {
    ProcessImage.resize(std::max(ImageWidth, 0), std::max(ImageHeight, 0));
    copyOverlap(Stackimage, ProcessImage);
}

DisplayHistograms renderPass(RenderContext& context, const WaveletProcessOptions& wavelet,
                             const RenderOptions& options) {
    DisplayHistograms histograms{};
    ProgramState& state = context.state;
    if (state.LevelHi == state.LevelLo) state.LevelHi = state.LevelLo + 1.0f;
    fitBitmap(context.ProcessImage, std::max(context.ImageWidth, 0), std::max(context.ImageHeight, 0));

    const WaveletArea area = waveletArea(context.section, context.ImageWidth, context.ImageHeight);
    if (area.empty()) return histograms;
    const RenderMode mode = renderMode(wavelet);
    std::array<float, WaveletLayerCount + 1> weights{};
    std::array<bool, WaveletLayerCount + 1> used{};
    used[0] = true;
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        used[n] = options.layerChecked[n - 1];
        weights[n] = static_cast<float>(0.1 * options.layerSliders[n - 1]);
    }
    requireRenderPlanes(context, area, mode, wavelet, used);

    const WaveletArea region = displayedRegion(context.section, context.ImageWidth, context.ImageHeight,
                                               displayMargin(wavelet.steps));
    const LevelMap levels(context.GammaTable, context.stack, options, state.LevelLo, state.LevelHi);
    const ColumnRenderer renderer(context, area, options, levels);
    std::mutex merge;
    parallelForRange(area.x0, area.x1 + 1, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        DisplayHistograms local{};
        for (auto x = static_cast<int>(first); x < last; ++x) {
            for (int c = 0; c < 3; ++c) {
                if (wavelet.processesChannel(c)) recombineColumn(context.section, area, c, x, weights, used);
            }
            if (x < region.x0 || x > region.x1 || region.empty()) continue;
            switch (mode) {
                case RenderMode::Mono:
                    renderer.column<RenderMode::Mono>(x, region.y0, region.y1, local);
                    break;
                case RenderMode::Colour:
                    renderer.column<RenderMode::Colour>(x, region.y0, region.y1, local);
                    break;
                case RenderMode::Lrgb:
                    renderer.column<RenderMode::Lrgb>(x, region.y0, region.y1, local);
                    break;
            }
        }
        std::lock_guard lock(merge);
        for (int h = 0; h < 4; ++h) {
            for (std::size_t i = 0; i < local[h].size(); ++i) histograms[h][i] += local[h][i];
        }
    });
    return histograms;
}

}  // namespace kestrave
