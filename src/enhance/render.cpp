#include "enhance/render.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

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
// L(v) = (GammaTable[i] × 255 + brightness - LevelLo) / (LevelHi - LevelLo) × 255 and the
// displayed value u(v) = L(v) rounded into 0..255. Both depend on i alone, so they are tabled
// once per pass.
class LevelMap {
public:
    LevelMap(const GammaTableArray& gamma, const StackFacts& stack, const RenderOptions& options, float lo,
             float hi)
        : offset_(stack.StackMinValue),
          scale_(30000.0 * (options.ContrastSlider * 0.004) /
                 (static_cast<double>(stack.StackMaxValue) - stack.StackMinValue + 0.000001)),
          levels_(GammaTableLast + 1),
          bytes_(GammaTableLast + 1) {
        const double brightness = options.BrightnessSlider * 0.25;
        // The pass moves equal levels one apart; where that cannot part them (huge levels), the
        // range counts as 1.
        const double range = hi != lo ? static_cast<double>(hi) - lo : 1.0;
        parallelForRange(0, GammaTableLast + 1, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
            for (auto i = first; i < last; ++i) {
                levels_[i] = (gamma[i] * 255.0 + brightness - lo) / range * 255.0;
                bytes_[i] = static_cast<std::uint8_t>(clampedRound(levels_[i], 0, 255));
            }
        });
    }

    double level(float v) const { return levels_[index(v)]; }
    int byte(float v) const { return bytes_[index(v)]; }

private:
    int index(float v) const { return clampedRound((v - offset_) * scale_, 0, GammaTableLast); }

    double offset_;
    double scale_;
    std::vector<double> levels_;
    std::vector<std::uint8_t> bytes_;
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

// What a displayed value u (0..255) of one channel becomes: c = (offset + u) × balance, its
// 16-bit sample Round(255 c) and its byte Round(c), each clamped.
struct ChannelOutput {
    double value = 0.0;
    std::uint16_t sample = 0;
    std::uint8_t byte = 0;
};
using ChannelTable = std::array<ChannelOutput, 256>;

ChannelTable channelTable(int offset, float balance) {
    ChannelTable table;
    for (int u = 0; u < 256; ++u) {
        const double value = (offset + u) * static_cast<double>(balance);
        table[u] = {value, static_cast<std::uint16_t>(toSample16(value)),
                    static_cast<std::uint8_t>(toByte(value))};
    }
    return table;
}

// Monochrome: the green sample G16, then the grey V = Round(G16 / 255) (tone-mapped to V' with
// G16 = 255 V' when tone mapping is on), and the bin the histograms count.
struct GreyOutput {
    std::uint16_t sample = 0;
    std::uint8_t grey = 0;
    std::uint8_t bin = 0;
};

std::array<GreyOutput, 256> greyTable(const ChannelTable& green, const ToneMapper* mapper) {
    std::array<GreyOutput, 256> table;
    for (int u = 0; u < 256; ++u) {
        GreyOutput& out = table[u];
        out.bin = green[u].byte;
        out.sample = green[u].sample;
        out.grey = static_cast<std::uint8_t>(clampedRound(out.sample / 255.0, 0, 255));
        if (mapper) {
            const float mapped = mapper->mono(out.grey);
            out.sample = static_cast<std::uint16_t>(toSample16(mapped));
            out.grey = static_cast<std::uint8_t>(toByte(mapped));
        }
    }
    return table;
}

// The area is worked in blocks of BlockColumns columns: each block is recombined column by
// column (the planes are read as they lie in memory), then rendered StripRows rows at a time
// through a small buffer that holds the strip's recombined values row by row, so that the
// bitmaps are written along their rows.
constexpr int BlockColumns = 32;
constexpr int StripRows = 16;
struct StripBuffer {
    float values[3][StripRows][BlockColumns];

    // Rows firstRow..lastRow of `columns` plane columns from firstColumn on, into channel c.
    void gather(const T2dArrays& plane, int c, int firstColumn, int columns, int firstRow, int lastRow) {
        for (int i = 0; i < columns; ++i) {
            const float* column = plane[firstColumn + i];
            for (int row = firstRow; row <= lastRow; ++row) values[c][row - firstRow][i] = column[row];
        }
    }
};

// Writes the displayed pixels; holds everything a pixel needs.
class PixelRenderer {
public:
    PixelRenderer(RenderContext& context, const WaveletArea& area, const RenderOptions& options,
                  const LevelMap& levels)
        : context_(context),
          area_(area),
          levels_(levels),
          mapper_(context.toneTables, options.toneMap, context.stack.means),
          toneMapping_(options.ActiveTonemap),
          offsets_{options.RedSlider, options.GreenSlider, options.blueslider},
          show_{options.Showred, options.Showgreen, options.Showblue} {
        for (int c = 0; c < 3; ++c) channels_[c] = channelTable(offsets_[c], context.state.RGBBalance[c]);
        grey_ = greyTable(channels_[1], toneMapping_ ? &mapper_ : nullptr);
    }

    // The pixels of columns from..to and rows yFrom..yTo of one tile whose top-left cell is
    // (tileX, tileY), written row by row.
    template <RenderMode mode>
    void tile(const StripBuffer& strip, int tileX, int tileY, int from, int to, int yFrom, int yTo,
              DisplayHistograms& histograms) const {
        for (int y = yFrom; y <= yTo; ++y) {
            const int row = y - tileY;
            std::uint8_t* pixel = context_.ProcessImage.pixel(from, y);
            std::uint16_t* samples =
                context_.section.ResultImage16.HighBitRow(y) + 3 * static_cast<std::size_t>(from);
            for (int x = from; x <= to; ++x, pixel += 3, samples += 3) {
                const int column = x - tileX;
                if constexpr (mode == RenderMode::Mono) {
                    mono(strip.values[1][row][column], pixel, samples, histograms);
                } else if constexpr (mode == RenderMode::Colour) {
                    colour(strip.values[0][row][column], strip.values[1][row][column],
                           strip.values[2][row][column], pixel, samples, histograms);
                } else {
                    lrgb(x, y, strip.values[1][row][column], pixel, samples, histograms);
                }
            }
        }
    }

private:
    void mono(float v, std::uint8_t* pixel, std::uint16_t* samples, DisplayHistograms& histograms) const {
        const GreyOutput& out = grey_[levels_.byte(v)];
        samples[0] = samples[1] = samples[2] = out.sample;
        SetRGBTriple(out.grey, out.grey, out.grey, pixel);
        ++histograms[HistGreen][out.bin];  // the other three take the green counts afterwards
    }

    void colour(float vr, float vg, float vb, std::uint8_t* pixel, std::uint16_t* samples,
                DisplayHistograms& histograms) const {
        const ChannelOutput* out[3] = {&channels_[0][levels_.byte(vr)], &channels_[1][levels_.byte(vg)],
                                       &channels_[2][levels_.byte(vb)]};
        std::uint8_t bytes[3] = {0, 0, 0};
        double rgb[3] = {out[0]->value, out[1]->value, out[2]->value};
        if (toneMapping_) {
            // The mapped values are shown whatever the show boxes say.
            const RgbValue mapped = mapper_.colour(static_cast<float>(rgb[0]), static_cast<float>(rgb[1]),
                                                   static_cast<float>(rgb[2]));
            rgb[0] = mapped.r;
            rgb[1] = mapped.g;
            rgb[2] = mapped.b;
            for (int c = 0; c < 3; ++c) {
                samples[c] = static_cast<std::uint16_t>(toSample16(rgb[c]));
                bytes[c] = static_cast<std::uint8_t>(toByte(rgb[c]));
                ++histograms[c][bytes[c]];
            }
        } else {
            for (int c = 0; c < 3; ++c) {
                samples[c] = out[c]->sample;
                if (show_[c]) bytes[c] = out[c]->byte;
                ++histograms[c][out[c]->byte];
            }
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
    std::array<ChannelTable, 3> channels_;
    std::array<GreyOutput, 256> grey_;
};

// LayerPlanes[0][c] over one area column: the working value plus the weighted checked layers,
// added in layer order in single precision.
void recombineColumn(ImageDataSection& section, const WaveletArea& area, int c, int x,
                     const std::array<float, WaveletLayerCount + 1>& weights,
                     const std::array<bool, WaveletLayerCount + 1>& used) {
    const int lx = x - area.x0;
    const int rows = area.height();
    float* out = section.LayerPlanes[0][c][lx];
    const float* work = section.WorkPlanes[c][x] + area.y0;
    std::copy(work, work + rows, out);
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
    parallelFor(0, rows, [&](std::ptrdiff_t y) {
        std::memcpy(dest.row(static_cast<int>(y)), source.row(static_cast<int>(y)), bytes);
    });
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

void showStackView(const TTIFFBitMap& Stackimage, Bitmap24& ProcessImage, TTIFFBitMap& ResultImage16,
                   int ImageWidth, int ImageHeight) {
    ProcessImage.resize(std::max(ImageWidth, 0), std::max(ImageHeight, 0));
    copyOverlap(Stackimage, ProcessImage);
    if (!ResultImage16.HighBitsAllocated()) return;
    const int rows = std::min(ImageHeight, ResultImage16.height());
    const int columns = std::max(std::min(ImageWidth, ResultImage16.width()), 0);
    const int stackRows = Stackimage.HighBitsAllocated() ? Stackimage.height() : 0;
    const int stackColumns = std::min(Stackimage.width(), columns);
    parallelFor(0, std::max(rows, 0), [&](std::ptrdiff_t row) {
        const int y = static_cast<int>(row);
        std::uint16_t* out = ResultImage16.HighBitRow(y);
        const int copied = y < stackRows ? stackColumns : 0;
        if (copied > 0) std::copy_n(Stackimage.HighBitRow(y), 3 * static_cast<std::size_t>(copied), out);
        std::fill(out + 3 * static_cast<std::size_t>(copied), out + 3 * static_cast<std::size_t>(columns),
                  std::uint16_t{0});
    });
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
        weights[n] = static_cast<float>(0.1 * options.layerSlider[n - 1]);
    }
    requireRenderPlanes(context, area, mode, wavelet, used);

    const WaveletArea region = displayedRegion(context.section, context.ImageWidth, context.ImageHeight,
                                               displayMargin(wavelet.steps));
    const LevelMap levels(context.GammaTable, context.stack, options, state.LevelLo, state.LevelHi);
    const PixelRenderer renderer(context, area, options, levels);
    const int blocks = (area.width() + BlockColumns - 1) / BlockColumns;
    std::mutex merge;
    parallelForRange(0, blocks, [&](std::ptrdiff_t firstBlock, std::ptrdiff_t lastBlock) {
        DisplayHistograms local{};
        StripBuffer strip;
        for (auto b = static_cast<int>(firstBlock); b < lastBlock; ++b) {
            const int tileX = area.x0 + b * BlockColumns;
            const int lastColumn = std::min(tileX + BlockColumns - 1, area.x1);
            const int from = std::max(tileX, region.x0);
            const int to = std::min(lastColumn, region.x1);
            for (int x = tileX; x <= lastColumn; ++x) {
                for (int c = 0; c < 3; ++c) {
                    if (wavelet.processesChannel(c))
                        recombineColumn(context.section, area, c, x, weights, used);
                }
            }
            for (int firstRow = 0; firstRow < area.height(); firstRow += StripRows) {
                const int lastRow = std::min(firstRow + StripRows, area.height()) - 1;
                const int tileY = area.y0 + firstRow;
                const int yFrom = std::max(tileY, region.y0);
                const int yTo = std::min(area.y0 + lastRow, region.y1);
                if (from > to || yFrom > yTo) continue;
                for (int c = 0; c < 3; ++c) {
                    if (wavelet.processesChannel(c))
                        strip.gather(context.section.LayerPlanes[0][c], c, tileX - area.x0,
                                     lastColumn - tileX + 1, firstRow, lastRow);
                }
                switch (mode) {
                    case RenderMode::Mono:
                        renderer.tile<RenderMode::Mono>(strip, tileX, tileY, from, to, yFrom, yTo, local);
                        break;
                    case RenderMode::Colour:
                        renderer.tile<RenderMode::Colour>(strip, tileX, tileY, from, to, yFrom, yTo, local);
                        break;
                    case RenderMode::Lrgb:
                        renderer.tile<RenderMode::Lrgb>(strip, tileX, tileY, from, to, yFrom, yTo, local);
                        break;
                }
            }
        }
        std::lock_guard lock(merge);
        for (int h = 0; h < 4; ++h) {
            for (std::size_t i = 0; i < local[h].size(); ++i) histograms[h][i] += local[h][i];
        }
    });
    if (mode == RenderMode::Mono) {
        histograms[HistRed] = histograms[HistBlue] = histograms[HistLuminance] = histograms[HistGreen];
    }
    return histograms;
}

}  // namespace kestrave
