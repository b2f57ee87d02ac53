#include "registration/reference.h"

#include <algorithm>

#include "frames/pixel_helpers.h"

namespace kestrave {

namespace {

// The part of the frame whose pixels exist in the picture: the frame size, but never beyond the
// bitmap that holds it.
struct ReadableArea {
    int width = 0;
    int height = 0;
};

ReadableArea readableArea(const FrameModel& model, const Bitmap24& picture) {
    return {std::clamp(model.FrameWidth, 0, picture.width()),
            std::clamp(model.FrameHeight, 0, picture.height())};
}

// The alignment's dark plane when the dark frame is to be subtracted and covers the frame; the
// user is told when a dark frame that is too small has to be left out.
const T2dArrays* darkPlaneFor(const BoxLevelOptions& options, const ImageDataSection& section,
                              const ReadableArea& area, MessagePort& messages) {
    if (!options.darkSubtract) return nullptr;
    const T2dArrays& dark = alignmentDarkPlane(section);
    if (dark.xCount() >= area.width && dark.yCount() >= area.height) return &dark;
    messages.warn("Warning",
                  " The dark frame is smaller than the frames; the reference is computed without it ");
    return nullptr;
}

// FFTWindowPlane := the levels of the box; returns their sum.
double readBoxLevels(T2dArrays& plane, const Bitmap24& preview, const ReadableArea& area, int boxLeft,
                     int boxTop, const ReferenceOptions& options, const T2dArrays* dark) {
    const int n = plane.xCount();
    plane.Clear();
    const auto& weights = options.LumWeights;
    double sum = 0.0;
    for (int y = 0; y < n; ++y) {
        const int row = boxTop + y;
        if (row < 0 || row >= area.height) continue;
        for (int x = 0; x < n; ++x) {
            const int column = boxLeft + x;
            if (column < 0 || column >= area.width) continue;
            const std::uint8_t* p = preview.pixel(column, row);
            const float luminance = p[2] * weights[0] + p[1] * weights[1] + p[0] * weights[2];
            const float v = boxLevel(luminance, options.levels, dark ? &(*dark)[column][row] : nullptr);
            plane[x][y] = v;
            sum += v;
        }
    }
    return sum;
}

// Odd rows (or, with the fields side by side, odd columns) become the byte-wise mean of their two
// neighbours in the preview, so the stored reference picture shows one field's lines throughout.
void deinterlace(Bitmap24& picture, const Bitmap24& preview, const ReadableArea& area, bool horizontal) {
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(area.width);
    if (!horizontal) {
        for (int y = 1; y <= area.height - 2; y += 2) {
            const std::uint8_t* above = preview.row(y - 1);
            const std::uint8_t* below = preview.row(y + 1);
            std::uint8_t* out = picture.row(y);
            for (std::size_t k = 0; k < rowBytes; ++k)
                out[k] = static_cast<std::uint8_t>((above[k] + below[k]) / 2);
        }
        return;
    }
    for (int y = 0; y < area.height; ++y) {
        for (int x = 1; x <= area.width - 2; x += 2) {
            const std::uint8_t* left = preview.pixel(x - 1, y);
            const std::uint8_t* right = preview.pixel(x + 1, y);
            std::uint8_t* out = picture.pixel(x, y);
            for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>((left[k] + right[k]) / 2);
        }
    }
}

double profileSum(const std::array<float, kRadialBins>& profile, int last) {
    double total = 0.0;
    for (int b = 0; b <= last; ++b) total += profile[static_cast<std::size_t>(b)];
    return total;
}

double spinValue(int bins, double lowest, double highest) {
    return std::clamp(static_cast<double>(bins), lowest, highest);
}

void resizePlane(T2dArrays& plane, int n) {
    if (plane.xCount() != n || plane.yCount() != n) plane.reset(n, n);
}

}  // namespace

ReferenceOptions withAutomaticValues(ReferenceOptions options, const AutomaticFilterValues& values) {
    options.FFTFilter = values.FFTFilter.value_or(options.FFTFilter);
    options.QualityFilter = values.QualityFilter.value_or(options.QualityFilter);
    options.QualFilterDX = values.QualFilterDX.value_or(options.QualFilterDX);
    return options;
}

int binCountReaching(const std::array<float, kRadialBins>& profile, int first, int last, double target) {
    last = std::min(last, kRadialBins - 1);
    double sum = 0.0;
    int b = first;
    while (target > sum && b <= last) {
        sum += profile[static_cast<std::size_t>(b)];
        ++b;
    }
    return b;
}

QualityBandBins automaticQualityBand(const FftEngine& fft, int HVSWeighting) {
    const int half = fft.FFTSize / 2;
    const double total = profileSum(fft.RadialProfile, half);
    QualityBandBins band;
    if (HVSWeighting == 1) {
        band.start = binCountReaching(fft.RadialProfile, 0, half, 0.5 * total);
        band.end = band.start;
        return band;
    }
    band.start = binCountReaching(fft.RadialProfile, 0, kRadialBins - 1, 0.65 * total);
    band.end = binCountReaching(fft.RadialProfile, band.start, half, 0.2 * total);
    return band;
}

AutomaticFilterValues CalculateReferenceFFT(FftEngine& fft, RegistrationState& registration,
                                            const ProgramState& program, const FrameModel& model,
                                            const ImageDataSection& section, const Bitmap24& preview,
                                            const ReferenceOptions& options, MessagePort& messages) {
    const int n = fft.FFTSize;
    const ReadableArea area = readableArea(model, preview);
    const T2dArrays* dark = darkPlaneFor(options.levels, section, area, messages);

    CopyBitmap(preview, registration.Image1);

    resizePlane(registration.FFTWindowPlane, n);
    const double sum = readBoxLevels(registration.FFTWindowPlane, preview, area, registration.BoxLeft,
                                     registration.BoxTop, options, dark);
    // Cells outside the frame count in the mean as 0; an all-black box keeps a tiny mean.
    double mean = sum / (static_cast<double>(n) * n);
    if (mean == 0.0) mean = 1e-10;
    const auto meanLevel = static_cast<float>(mean);
    for (int i = 0; i < n; ++i) {
        const float* levels = registration.FFTWindowPlane[i];
        float* re = fft.FFTRe[i];
        float* im = fft.FFTIm[i];
        for (int j = 0; j < n; ++j) {
            re[j] = levels[j] - meanLevel;
            im[j] = 0.0f;
        }
    }
    FFT2DForward(fft);
    RadialSpectrum(fft, 0, registration.HVSCentre);

    AutomaticFilterValues values;
    // Automatic radius: the leading bins that hold three quarters of the box's spectral energy.
    values.radiusBins = binCountReaching(fft.RadialProfile, 0, kRadialBins - 1,
                                         0.75 * profileSum(fft.RadialProfile, kRadialBins - 1));
    if (program.ProcessStage == TProcessStage::stFeatureSet &&
        (registration.UserBoxPlaced || !registration.FFTFilterManual)) {
        values.FFTFilter = spinValue(values.radiusBins, FFTFilterMin, FFTFilterMax);
        // The new spin value takes effect at once: the band mask follows the spin.
        BuildFFTBandMask(fft, *values.FFTFilter);
        registration.FFTFilterArmed = true;
    }

    if (options.spectralQuality) {
        RadialSpectrum(fft, options.HVSWeighting, registration.HVSCentre);
        const QualityBandBins band = automaticQualityBand(fft, options.HVSWeighting);
        if (options.HVSWeighting == 1) {
            if (!registration.QualityFilterManual) {
                values.QualityFilter = spinValue(band.start, QualityFilterMin, QualityFilterMax);
            }
        } else {
            if (registration.UserBoxPlaced || !registration.QualityFilterManual) {
                values.QualityFilter = spinValue(band.start, QualityFilterMin, QualityFilterMax);
            }
            if (!registration.QualityFilterManual) {
                const double start = values.QualityFilter.value_or(options.QualityFilter);
                values.QualFilterDX = std::clamp(band.end - start, QualFilterDXMin, QualFilterDXMax);
            }
            if (values.QualityFilter || values.QualFilterDX) registration.QualityFilterArmed = true;
        }
    }

    resizePlane(registration.RefSpectrumRe, n);
    resizePlane(registration.RefSpectrumIm, n);
    for (int i = 0; i < n; ++i) {
        const std::uint8_t* pass = fft.FFTBandMask[i];
        float* re = fft.FFTRe[i];
        float* im = fft.FFTIm[i];
        float* refRe = registration.RefSpectrumRe[i];
        float* refIm = registration.RefSpectrumIm[i];
        for (int j = 0; j < n; ++j) {
            re[j] *= pass[j];
            im[j] *= pass[j];
            refRe[j] = re[j];
            refIm[j] = im[j];
        }
    }

    if (options.interlaced) deinterlace(registration.Image1, preview, area, options.Interlacehoriz);
    return values;
}

}  // namespace kestrave
