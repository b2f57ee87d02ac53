#include "stacking/stack_render.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "frames/pixel_helpers.h"
#include "platform/parallel.h"

namespace kestrave {

namespace {

constexpr float SmallestWeight = 1e-10f;
// Rows per band of the rendering; partial sums are added band after band, so the statistics do
// not depend on the thread count.
constexpr int RenderBandRows = 64;

float reciprocalWeight(float w) {
    return w <= SmallestWeight ? 1.0f : 1.0f / w;
}

}  // namespace

void normaliseStack(ImageDataSection& section, const StackSums& sums, const StackOptions& options,
                    bool fitsColour, int width, int height) {
    const bool firstPass = options.Statistical && !options.SigmaFinalPass;
    const bool rejectedKept = !sums.RejectedWeight.empty();
    const bool zoned = placesByZones(options);
    const float k = options.Statisticspin;
    parallelFor(0, width, [&](std::ptrdiff_t column) {
        const int x = static_cast<int>(column);
        float* red = section.StackPlanes[0][x];
        float* green = section.StackPlanes[1][x];
        float* blue = section.StackPlanes[2][x];
        float* lum = section.LumPlane[x];
        float* weight = section.StackWeightPlane[x];
        for (int y = 0; y < height; ++y) {
            if (rejectedKept && weight[y] <= SmallestWeight && sums.RejectedWeight[x][y] > SmallestWeight) {
                // The clip left out every sample of this pixel: it keeps their plain mean rather
                // than none.
                const float r = 1.0f / sums.RejectedWeight[x][y];
                green[y] = sums.Rejected[1][x][y] * r;
                if (options.Colourstack && !fitsColour) {
                    red[y] = sums.Rejected[0][x][y] * r;
                    blue[y] = sums.Rejected[2][x][y] * r;
                }
                weight[y] = 1.0f;
                continue;
            }
            if (weight[y] <= SmallestWeight) weight[y] = 1.0f;
            const float r = 1.0f / weight[y];
            green[y] *= r;
            if (options.Colourstack) {
                if (fitsColour) {
                    red[y] *= reciprocalWeight(sums.RedWeightPlane[x][y]);
                    blue[y] *= reciprocalWeight(sums.BlueWeightPlane[x][y]);
                    lum[y] *= reciprocalWeight(sums.LumWeightPlane[x][y]);
                } else {
                    red[y] *= r;
                    blue[y] *= r;
                    lum[y] *= r;
                }
            }
            if (!firstPass) continue;
            // Clip bounds from the running statistics: G +- k sigma of the samples behind them.
            // The statistics follow each frame's own placement, as the final pass tests it; with
            // alignment-point zones G is the mean of other samples (the zones' moved ones), so the
            // bounds are centred on the statistics' own mean, or a sharp edge would leave every
            // sample of a pixel outside them.
            const float centre = zoned ? section.WorkPlanes[0][x][y] : green[y];
            const float m2 = section.WorkPlanes[2][x][y];
            const float sigma =
                m2 > 0.0f ? std::sqrt(m2 * reciprocalWeight(sums.StatisticsCount[x][y])) : 0.0f;
            section.WorkPlanes[0][x][y] = options.Sigmalo ? centre - sigma * k : -FLT_MAX;
            if (!options.RejectMax) section.WorkPlanes[1][x][y] = centre + sigma * k;
            if (m2 <= 0.0f) {
                // Samples without spread: the clipping sides lie one level either side of them,
                // as equal bounds are widened, so that the samples themselves pass even when
                // only one side clips.
                if (options.Sigmalo) section.WorkPlanes[0][x][y] = centre - 1.0f;
                section.WorkPlanes[1][x][y] = centre + 1.0f;
            }
            if (!options.sigmahi) section.WorkPlanes[1][x][y] = FLT_MAX;
            section.SigmaPlane[x][y] = m2 > 0.0f ? sigma / (0.001f + green[y]) : 0.0f;
        }
    });
}

StackValueRange stackValueRange(double measuredMin, double measuredMax, const StackOptions& options,
                                const FrameModel& model, bool rawSer) {
    StackValueRange range{measuredMin, measuredMax};
    // The sample range of a file depth, or with stretched levels the powers of two around the
    // measured range.
    const auto depthRange = [&](int depth, bool stretch) {
        if (depth == 8) {
            range = {0.0, 255.0};
        } else if (depth == 16 || depth == 32 || depth == -32) {
            const bool negative = range.min < 0.0;
            if (stretch) {
                range.max = PowerOfTwoCeil(static_cast<float>(range.max));
                range.min = negative ? PowerOfTwoCeil(static_cast<float>(range.min)) : 0.0;
            } else if (depth == 16) {
                range = negative ? StackValueRange{-32768.0, 32767.0} : StackValueRange{0.0, 65535.0};
            } else {
                range = negative ? StackValueRange{-2147483648.0, 2147483647.0}
                                 : StackValueRange{0.0, 2147483647.0};
            }
        }
    };
    if ((model.InputIsFIT && !options.Histostretch) || options.MasterFrameMode)
        depthRange(options.FitsBitpix, model.FitStretch);
    if ((rawSer && !options.Histostretch) || options.MasterFrameMode) {
        const int depth =
            options.SerPixelDepth == 8 || options.SerPixelDepth == 16 ? options.SerPixelDepth : 0;
        depthRange(depth, options.SerStretch);
    }
    if (!model.InputIsFIT && !rawSer && !options.Histostretch) range = {0.0, 255.0};
    return range;
}

StackValueRange measureStack(const ImageDataSection& section, bool colour, int width, int height) {
    std::vector<StackValueRange> columns(static_cast<std::size_t>(std::max(width, 0)),
                                         StackValueRange{2147483648.0, -2147483647.0});
    parallelFor(0, width, [&](std::ptrdiff_t x) {
        StackValueRange& range = columns[static_cast<std::size_t>(x)];
        for (int c = colour ? 0 : 1; c <= (colour ? 2 : 1); ++c) {
            const float* values = section.StackPlanes[c][static_cast<int>(x)];
            for (int y = 0; y < height; ++y) {
                range.min = std::min(range.min, static_cast<double>(values[y]));
                range.max = std::max(range.max, static_cast<double>(values[y]));
            }
        }
    });
    StackValueRange all{2147483648.0, -2147483647.0};
    for (const StackValueRange& range : columns) {
        all.min = std::min(all.min, range.min);
        all.max = std::max(all.max, range.max);
    }
    return all;
}

namespace {

struct BandSums {
    double red = 0.0, green = 0.0, blue = 0.0, lum = 0.0, logLum = 0.0;
    float minLum = std::numeric_limits<float>::infinity();
    float maxLum = -std::numeric_limits<float>::infinity();
    std::array<std::uint64_t, ToneHistogramBins> histogram{};
};

int toneBin(float level) {
    const double bin = std::clamp(level * (1.0 / 255.0) * 1000.0, 0.0, 1000.0);
    return static_cast<int>(std::nearbyint(bin));
}

}  // namespace

StackStatistics renderStack(ImageDataSection& section, StackValueRange range, bool colour, int width,
                            int height, TTIFFBitMap& stackImage) {
    stackImage.resize(width, height);
    stackImage.allocateHighBits();
    const double scale = 255.0 / (range.max - range.min + 1e-6);
    const int bands = (height + RenderBandRows - 1) / RenderBandRows;
    std::vector<BandSums> bandSums(static_cast<std::size_t>(std::max(bands, 0)));
    parallelFor(0, bands, [&](std::ptrdiff_t band) {
        BandSums& sums = bandSums[static_cast<std::size_t>(band)];
        const int first = static_cast<int>(band) * RenderBandRows;
        for (int y = first; y < std::min(height, first + RenderBandRows); ++y) {
            std::uint8_t* pixels = stackImage.row(y);
            std::uint16_t* words = section.ResultImage16.HighBitRow(y);
            std::uint16_t* stackWords = stackImage.HighBitRow(y);
            for (int x = 0; x < width; ++x) {
                float level[3];
                for (int c = 0; c < 3; ++c) {
                    const int plane = colour ? c : 1;
                    const double v = (section.StackPlanes[plane][x][y] - range.min) * scale;
                    level[c] = static_cast<float>(v);
                    pixels[3 * x + (2 - c)] = static_cast<std::uint8_t>(
                        ClampByte(static_cast<int>(std::nearbyint(std::clamp(v, -1.0, 256.0)))));
                    words[3 * x + c] = stackWords[3 * x + c] =
                        static_cast<std::uint16_t>(std::nearbyint(std::clamp(v * 255.0, 0.0, 65535.0)));
                }
                if (!colour) {
                    ++sums.histogram[static_cast<std::size_t>(toneBin(level[1]))];
                    continue;
                }
                sums.red += level[0];
                sums.green += level[1];
                sums.blue += level[2];
                const float lum = Luma709(level[0], level[1], level[2]);
                ++sums.histogram[static_cast<std::size_t>(toneBin(lum))];
                sums.lum += lum;
                if (lum > 0.0f) sums.logLum += std::log10(lum);
                sums.minLum = std::min(sums.minLum, lum);
                sums.maxLum = std::max(sums.maxLum, lum);
            }
        }
    });

    StackStatistics stats;
    BandSums all;
    for (const BandSums& sums : bandSums) {
        all.red += sums.red;
        all.green += sums.green;
        all.blue += sums.blue;
        all.lum += sums.lum;
        all.logLum += sums.logLum;
        all.minLum = std::min(all.minLum, sums.minLum);
        all.maxLum = std::max(all.maxLum, sums.maxLum);
        for (int i = 0; i < ToneHistogramBins; ++i) all.histogram[i] += sums.histogram[i];
    }
    for (int i = 0; i < ToneHistogramBins; ++i)
        stats.ToneHistogram[i] = static_cast<double>(all.histogram[i]);
    const double pixels = static_cast<double>(width) * height;
    stats.ToneHistTotal = pixels;
    clipToneHistogram(stats);
    const double p = pixels > 0.0 ? pixels : 1.0;
    stats.StackGeoMeanLum = static_cast<float>(std::pow(10.0, all.logLum / p));
    stats.StackMeanLum = static_cast<float>(all.lum / p / 255.0);
    stats.StackMeanR = static_cast<float>(all.red / p / 255.0);
    stats.StackMeanG = static_cast<float>(all.green / p / 255.0);
    stats.StackMeanB = static_cast<float>(all.blue / p / 255.0);
    stats.StackMinLum = all.minLum;
    stats.StackMaxLum = all.maxLum;
    return stats;
}

void clipToneHistogram(StackStatistics& stats) {
    std::array<double, ToneHistogramBins>& bins = stats.ToneHistogram;
    stats.ToneHistogramRaw = bins;
    stats.ToneHistTarget = 0.025 * stats.ToneHistTotal;
    const auto total = [&] {
        double sum = 0.0;
        for (const double bin : bins) sum += bin;
        return sum;
    };
    // Every pass lowers the total by the clipped excess, which exceeds the fixed target until
    // the loop ends, so it ends after at most 40 passes.
    do {
        stats.ToneHistExcess = 0.0;
        stats.ToneHistTotal = total();
        stats.ToneHistClip = 0.01 * stats.ToneHistTotal;
        for (double& bin : bins)
            if (bin > stats.ToneHistClip) {
                stats.ToneHistExcess += bin - stats.ToneHistClip;
                bin = stats.ToneHistClip;
            }
    } while (stats.ToneHistExcess > stats.ToneHistTarget);
    stats.ToneHistTotal = total();
    for (int i = 1; i < ToneHistogramBins; ++i) bins[i] += bins[i - 1];
    const double last = bins[ToneHistogramBins - 1];
    for (int i = 1; i < ToneHistogramBins; ++i) bins[i] = last > 0.0 ? bins[i] / last * 255.0 : 0.0;
}

}  // namespace kestrave
